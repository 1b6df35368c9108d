#pragma once
// The shape of a settings window: one block of registers uploaded into the
// window's controls, edited and downloaded back. The window lays out its
// controls and says how the block is shown and made; the upload, the
// download and the handling of the meter's answers are the same for all.
#include "core/fields.h"
#include "ui/familywindow.h"

#include <QByteArray>
#include <cstdint>
#include <optional>

class FieldForm;

namespace ui {

struct SettingsBlock {
    std::uint16_t first = 0;     // register
    std::uint16_t registers = 0;
    int Bytes() const { return registers * 2; }
};

// What the window says when the meter answers.
struct SettingsTexts {
    const char *downloaded;          // the download's echo
    const char *uploaded = nullptr;  // the whole block read (nullptr: nothing)
    const char *failed = nullptr;    // any other answer but a read (nullptr: nothing)
};

class SettingsWindow : public FamilyWindow {
    Q_OBJECT
public:
    SettingsWindow(SerialLink &link, Family family, const char *className, SettingsBlock block, SettingsTexts texts,
                   QWidget *parent = nullptr);

    // Reads the block; the controls show only what the meter answers.
    void upload();
    // Writes the controls as the block, unless a value cannot be sent (the
    // user is told why and nothing goes out).
    void download();

protected:
    // How a block that is one field table shown by a FieldForm is shown and
    // made: an upload shows cleared first (when given), a download encodes
    // the form's values (moving the focus to a refused control when
    // focusRefused), and the whole block read is decoded into the form.
    struct FormBlock {
        FieldForm *form = nullptr;
        fields::Values cleared{};
        bool focusRefused = true;
    };
    void UseForm(FormBlock form) { form_ = std::move(form); }

    // Empties the controls before an upload (by default: the form's cleared
    // values, or nothing).
    virtual void clearControls();
    // The block's data bytes from the controls, or nothing when a value
    // cannot be sent (after telling the user). By default: the form's.
    virtual std::optional<QByteArray> encodeControls();
    // Shows the data bytes of the whole block (by default: in the form).
    virtual void showBlock(const QByteArray &data);

    void onReply(const modbus::Exchange &exchange) override;

private:
    SettingsBlock block_;
    SettingsTexts texts_;
    FormBlock form_;
};

} // namespace ui
