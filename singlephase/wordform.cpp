#include "singlephase/wordform.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <cstring>

using singlephase::words::Field;
using singlephase::words::Kind;

WordForm::WordForm(QWidget *parent, singlephase::words::Table table) : QObject(parent), table_(table)
{
    for (const Field &f : table_) {
        const QString caption = QString::fromUtf8(f.caption);
        QWidget *control = nullptr;
        QLabel *label = nullptr;
        QButtonGroup *group = nullptr;
        if (f.kind == Kind::Choice) {
            auto *box = new QGroupBox(caption, parent);
            auto *layout = new QHBoxLayout(box);
            group = new QButtonGroup(box);
            int id = 0;
            for (const QString &item : QString::fromUtf8(f.items).split(QLatin1Char('|'))) {
                auto *radio = new QRadioButton(item, box);
                radio->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(f.object)).arg(id));
                group->addButton(radio, id++);
                layout->addWidget(radio);
            }
            control = box;
        } else if (f.kind == Kind::Limit || f.edit) {
            control = new QLineEdit(f.kind == Kind::Limit ? QStringLiteral("0") : QString(), parent);
        } else {
            auto *spin = new QSpinBox(parent);
            spin->setRange(0, f.max);
            control = spin;
        }
        control->setObjectName(QLatin1String(f.object));
        control->setAccessibleName(caption);
        if (f.kind != Kind::Choice) {
            label = new QLabel(f.text ? QString::fromUtf8(f.text) : caption, parent);
            label->setBuddy(control);
        }
        controls_.append(control);
        labels_.append(label);
        groups_.append(group);
    }
}

int WordForm::IndexOf(const char *object) const
{
    for (int i = 0; i < Size(); ++i)
        if (std::strcmp(table_[i].object, object) == 0)
            return i;
    return -1;
}

fields::Values WordForm::Values() const
{
    fields::Values values;
    for (int i = 0; i < Size(); ++i) {
        QWidget *c = controls_[i];
        if (groups_[i])
            values.append(QString::number(groups_[i]->checkedId()));
        else if (auto *spin = qobject_cast<QSpinBox *>(c))
            values.append(QString::number(spin->value()));
        else
            values.append(static_cast<QLineEdit *>(c)->text());
    }
    return values;
}

void WordForm::SetValues(const fields::Values &values)
{
    for (int i = 0; i < Size() && i < values.size(); ++i) {
        const QString &v = values[i];
        if (v.isNull())
            continue;
        QWidget *c = controls_[i];
        if (QButtonGroup *g = groups_[i]) {
            if (QAbstractButton *b = g->button(v.toInt())) {
                b->setChecked(true);
            } else {
                // No item selected: an exclusive group cannot uncheck its last button.
                g->setExclusive(false);
                for (QAbstractButton *button : g->buttons())
                    button->setChecked(false);
                g->setExclusive(true);
            }
        } else if (auto *spin = qobject_cast<QSpinBox *>(c)) {
            spin->setValue(v.toInt()); // beyond the range: shown limited to it
        } else {
            static_cast<QLineEdit *>(c)->setText(v);
        }
    }
}
