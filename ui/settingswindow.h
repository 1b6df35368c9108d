#pragma once
// The shape of every settings window: a list of register blocks, each
// uploaded into its controls, edited and downloaded back by its own rules.
// A window with two exchanges of its own (the initialisation settings and
// the energy bases) is two entries; a window whose buttons work on the
// group chosen on it (limits, alarm parameters) is one entry a group and a
// choice. The window lays out its controls and says how each block is
// shown and made; the upload, the download, the meter's answers and the
// settings files are the same for all.
#include "core/backup.h"
#include "core/fields.h"
#include "ui/familywindow.h"

#include <QByteArray>
#include <QMap>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

class FieldForm;

namespace ui {

using SettingsBlock = FamilyWindow::Block;

// What the window says when the meter answers.
struct SettingsTexts {
    const char *downloaded = nullptr; // the download's confirmation (nullptr: nothing)
    const char *uploaded = nullptr;   // the block read (nullptr: nothing)
    // An upload without the block: another answer, none, the port lost
    // (nullptr: nothing).
    const char *failed = nullptr;
    // A download answered by anything but its echo (nullptr: nothing).
    const char *downloadFailed = nullptr;
};

class SettingsWindow : public FamilyWindow {
    Q_OBJECT
public:
    // A window whose entries are added with AddBlock.
    SettingsWindow(SerialLink &link, Family family, const char *className, QWidget *parent = nullptr);
    // A window of one block (entry 0).
    SettingsWindow(SerialLink &link, Family family, const char *className, SettingsBlock block, SettingsTexts texts,
                   QWidget *parent = nullptr);

    // Reads the chosen entry's block; its controls show only what the meter
    // answers.
    void upload();
    // Writes the chosen entry's controls as its block, unless a value cannot
    // be sent (the user is told why and nothing goes out).
    void download();
    // The same for a given entry.
    void upload(int entry);
    void download(int entry);

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
    // How a block with a codec of its own is shown and made: encode gives
    // the block's data bytes from the controls, or nothing with the reason
    // in *why (the user is told, nothing goes out); show shows the data of
    // the block read.
    struct BlockCodec {
        std::function<std::optional<QByteArray>(QString *why)> encode;
        std::function<void(const QByteArray &data)> show;
    };
    // The codec of the energy bases group (MakeEnergyBaseGroup): its two
    // edits as energybase encodes them (the focus moves to a refused edit)
    // and decodes the block read.
    BlockCodec EnergyBaseCodec(const EnergyBaseGroup &group);
    // One block of the window and its rules.
    struct Entry {
        SettingsBlock block;
        SettingsTexts texts{};
        FormBlock form{};
        BlockCodec codec{};
        // Runs before each upload and download (a status line cleared).
        std::function<void()> beforeSend{};
        // Runs before each upload, after the form's cleared values.
        std::function<void()> beforeUpload{};
        // Where the upload's texts go; by default a message box.
        std::function<void(const QString &text)> tellUpload{};
        // Milliseconds an upload waits for its answer; 0: the link's.
        int uploadTimeoutMs = 0;
    };
    // Adds an entry; returns its index.
    int AddBlock(Entry entry);
    Entry &EntryAt(int entry) { return entries_[entry]; }
    void UseForm(FormBlock form, int entry = 0) { entries_[entry].form = std::move(form); }
    void UseCodec(BlockCodec codec, int entry = 0) { entries_[entry].codec = std::move(codec); }
    // The entry upload() and download() work on: chosen gives its index at
    // each press, or -1 (after telling the user why) to do nothing. Without
    // it, entry 0.
    void ChooseEntry(std::function<int()> chosen) { chosen_ = std::move(chosen); }

    // Adds 保存到文件… and 从文件载入… (ui/settingsfile.h) for the entries:
    // keys[i] is entry i's block in the family's catalog, empty for an entry
    // never kept in a file. A window with ChooseEntry saves and loads the
    // chosen entry, any other all entries with a key.
    void UseFiles(backup::Catalog catalog, const QStringList &keys);

private:
    int chosen();
    // The entry's data bytes from the controls, or nothing when a value
    // cannot be sent (after telling the user).
    std::optional<QByteArray> encode(int entry);
    void showBlock(int entry, const QByteArray &data);
    void tellUpload(int entry, const char *text);

    QList<Entry> entries_;
    // Uploads sent per entry, so that only the last one's failure is told.
    QMap<int, int> uploads_;
    std::function<int()> chosen_;
};

} // namespace ui
