#pragma once
// The controls of a words table (see wordfields.h): a spin box, edit or
// radio group per field, with its object name, its caption as accessible
// name and its label, read and written as the table's control values.
#include "singlephase/wordfields.h"

#include <QList>
#include <QObject>

class QButtonGroup;
class QLabel;
class QWidget;

class WordForm : public QObject {
    Q_OBJECT
public:
    WordForm(QWidget *parent, singlephase::words::Table table);

    int Size() const { return static_cast<int>(table_.size()); }
    QWidget *Control(int i) const { return controls_[i]; }
    // The label of a spin box or edit (nullptr for radio groups).
    QLabel *Label(int i) const { return labels_[i]; }
    int IndexOf(const char *object) const;

    fields::Values Values() const;
    // Sets every control whose value is not null.
    void SetValues(const fields::Values &values);
    void Decode(const QByteArray &data) { SetValues(singlephase::words::Decode(table_, data)); }

private:
    singlephase::words::Table table_;
    QList<QWidget *> controls_;
    QList<QLabel *> labels_;
    QList<QButtonGroup *> groups_;
};
