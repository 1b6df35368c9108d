#pragma once
// The shape of a settings window: one block of registers uploaded into the
// window's controls, edited and downloaded back. The window lays out its
// controls and says how the block is shown and made; the upload, the
// download and the handling of the meter's answers are the same for all.
#include "core/backup.h"
#include "core/fields.h"
#include "ui/familywindow.h"

#include <QByteArray>
#include <cstdint>
#include <functional>
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

    // How a block with a codec of its own is shown and made: encode gives
    // the block's data bytes from the controls, or nothing with the reason
    // in *why (the user is told, nothing goes out); show shows the data of
    // the whole block read.
    struct BlockCodec {
        std::function<std::optional<QByteArray>(QString *why)> encode;
        std::function<void(const QByteArray &data)> show;
    };
    void UseCodec(BlockCodec codec) { codec_ = std::move(codec); }

    // Saves the block to and loads it from settings files (ui/settingsfile.h)
    // as the block of that key in the family's catalog, encoded and shown as
    // the form or codec given before says.
    void UseFile(backup::Catalog catalog, const QString &key);

    void onReply(const modbus::Exchange &exchange) override;

private:
    // Empties the controls before an upload: the form's cleared values.
    void clearControls();
    // The block's data bytes from the controls, or nothing when a value
    // cannot be sent (after telling the user).
    std::optional<QByteArray> encodeControls();
    void showBlock(const QByteArray &data);

    SettingsBlock block_;
    SettingsTexts texts_;
    FormBlock form_;
    BlockCodec codec_;
};

} // namespace ui
