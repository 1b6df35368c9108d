#pragma once
// The controls of a register field table: one check box, radio group, spin
// box, edit or list per field, each with its object name, its caption (as
// text, as a buddy label or as its accessible name), and the values of the
// table's codec read from and written to them.
#include "core/fields.h"

#include <QList>
#include <QObject>
#include <functional>
#include <span>
#include <utility>

class QButtonGroup;
class QGridLayout;
class QGroupBox;
class QLabel;
class QWidget;

class FieldForm : public QObject {
    Q_OBJECT
public:
    // Makes the controls as children of parent (laid out by the caller).
    FieldForm(QWidget *parent, fields::Table table);

    fields::Table Table() const { return table_; }
    int Size() const { return static_cast<int>(table_.size()); }
    QWidget *Control(int i) const { return controls_[i]; }
    // The caption label of an edit, spin box or list (nullptr otherwise:
    // check boxes and radio groups carry their caption themselves).
    QLabel *Label(int i) const { return labels_[i]; }
    // The index of the field with that object name, or -1.
    int IndexOf(const char *object) const;
    // The control and the caption label of the field with that object name.
    QWidget *Control(const char *object) const { return Control(IndexOf(object)); }
    QLabel *Label(const char *object) const { return Label(IndexOf(object)); }

    fields::Values Values() const;
    QString Value(int i) const;
    // Sets every control whose value is not null.
    void SetValues(const fields::Values &values);
    void SetValue(int i, const QString &value);

    // Values of the download, or a message for the user when a value
    // cannot be sent (the control concerned gets the focus).
    fields::Encoded Encode(int bytes) const;
    // Sets the controls from uploaded data bytes (fields whose bytes are
    // missing keep what they show).
    void Decode(const QByteArray &data) { SetValues(fields::Decode(table_, data)); }

    // Adds label and control of field i to a grid at (row, column): labelled
    // controls take two columns, the others one (spanning two when wide).
    void AddToGrid(QGridLayout *grid, int i, int row, int column, bool wide = true) const;

    // A group box (in parent, titled and named title) with an H/L grid of
    // alarm check boxes: a column per quantity, headed by its name, the
    // upper-limit control in row H above the lower-limit one in row L.
    // fields(quantity) gives the indices of the two, upper first; it is
    // asked column by column, left to right.
    using LimitPair = std::function<std::pair<int, int>(const QString &quantity)>;
    QGroupBox *MakeLimitGrid(QWidget *parent, const QString &title, std::span<const char *const> quantities,
                             const LimitPair &fields) const;

private:
    fields::Table table_;
    QList<QWidget *> controls_;
    QList<QLabel *> labels_;
    QList<QButtonGroup *> groups_;
};
