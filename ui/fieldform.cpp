#include "ui/fieldform.h"

#include "ui/language.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QStringList>
#include <cstring>

using fields::Field;
using fields::Kind;

namespace {

bool isRadio(Kind k)
{
    return k == Kind::RadioBit || k == Kind::RadioFlag || k == Kind::RadioWord || k == Kind::RadioIndex;
}

bool isSpin(Kind k)
{
    return k == Kind::BcdSpin || k == Kind::BcdByteSpin || k == Kind::ByteSpin || k == Kind::WordSpin;
}

bool isCombo(Kind k)
{
    return k == Kind::ComboByte || k == Kind::ComboBcd;
}

QStringList itemsOf(const Field &f)
{
    if (f.items)
        ui::RegisterList(f.items);
    return f.items ? QString::fromUtf8(f.items).split(QLatin1Char('|')) : QStringList();
}

} // namespace

FieldForm::FieldForm(QWidget *parent, fields::Table table) : QObject(parent), table_(table)
{
    for (const Field &f : table_) {
        const QString caption = QString::fromUtf8(f.caption);
        const QString shown = f.text ? QString::fromUtf8(f.text) : caption;
        QWidget *control = nullptr;
        QLabel *label = nullptr;
        QButtonGroup *group = nullptr;
        if (f.kind == Kind::Bit) {
            auto *box = new QCheckBox(shown, parent);
            control = box;
        } else if (isRadio(f.kind)) {
            auto *box = new QGroupBox(shown, parent);
            auto *layout = new QHBoxLayout(box);
            group = new QButtonGroup(box);
            int id = 0;
            for (const QString &item : itemsOf(f)) {
                auto *radio = new QRadioButton(item, box);
                radio->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(f.object)).arg(id));
                group->addButton(radio, id++);
                layout->addWidget(radio);
            }
            control = box;
        } else if (isSpin(f.kind)) {
            auto *spin = new QSpinBox(parent);
            spin->setRange(0, f.max);
            control = spin;
        } else if (isCombo(f.kind)) {
            auto *combo = new QComboBox(parent);
            combo->addItems(itemsOf(f));
            combo->setCurrentIndex(-1);
            control = combo;
        } else {
            control = new QLineEdit(f.kind == Kind::WordText ? QString() : QStringLiteral("0"), parent);
        }
        control->setObjectName(QLatin1String(f.object));
        control->setAccessibleName(caption);
        if (!shown.isEmpty() && f.kind != Kind::Bit && !isRadio(f.kind)) {
            label = new QLabel(shown, parent);
            label->setBuddy(control);
        }
        if (f.kind == Kind::Bit && shown.isEmpty())
            control->setToolTip(caption);
        if (f.hint)
            control->setToolTip(QString::fromUtf8(f.hint));
        controls_.append(control);
        labels_.append(label);
        groups_.append(group);
    }
}

int FieldForm::IndexOf(const char *object) const
{
    for (int i = 0; i < Size(); ++i)
        if (std::strcmp(table_[i].object, object) == 0)
            return i;
    return -1;
}

QString FieldForm::Value(int i) const
{
    const Field &f = table_[i];
    QWidget *c = controls_[i];
    if (f.kind == Kind::Bit)
        return static_cast<QCheckBox *>(c)->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    if (isRadio(f.kind))
        return QString::number(groups_[i]->checkedId());
    if (isSpin(f.kind))
        return QString::number(static_cast<QSpinBox *>(c)->value());
    if (isCombo(f.kind))
        return QString::number(static_cast<QComboBox *>(c)->currentIndex());
    return static_cast<QLineEdit *>(c)->text();
}

fields::Values FieldForm::Values() const
{
    fields::Values values;
    for (int i = 0; i < Size(); ++i)
        values.append(Value(i));
    return values;
}

void FieldForm::SetValue(int i, const QString &value)
{
    if (value.isNull())
        return;
    const Field &f = table_[i];
    QWidget *c = controls_[i];
    if (f.kind == Kind::Bit) {
        static_cast<QCheckBox *>(c)->setChecked(value == QLatin1String("1"));
    } else if (isRadio(f.kind)) {
        QButtonGroup *g = groups_[i];
        if (QAbstractButton *b = g->button(value.toInt())) {
            b->setChecked(true);
        } else {
            // No item selected: an exclusive group cannot uncheck its last button.
            g->setExclusive(false);
            for (QAbstractButton *button : g->buttons())
                button->setChecked(false);
            g->setExclusive(true);
        }
    } else if (isSpin(f.kind)) {
        static_cast<QSpinBox *>(c)->setValue(value.toInt());
    } else if (isCombo(f.kind)) {
        static_cast<QComboBox *>(c)->setCurrentIndex(value.toInt());
    } else {
        static_cast<QLineEdit *>(c)->setText(value);
    }
}

void FieldForm::SetValues(const fields::Values &values)
{
    for (int i = 0; i < Size() && i < values.size(); ++i)
        SetValue(i, values[i]);
}

fields::Encoded FieldForm::Encode(int bytes) const
{
    fields::Encoded encoded = fields::Encode(table_, Values(), bytes);
    if (!encoded.ok() && encoded.field >= 0)
        controls_[encoded.field]->setFocus();
    return encoded;
}

void FieldForm::AddToGrid(QGridLayout *grid, int i, int row, int column, bool wide) const
{
    if (QLabel *label = labels_[i]) {
        grid->addWidget(label, row, column);
        grid->addWidget(controls_[i], row, column + 1);
    } else {
        grid->addWidget(controls_[i], row, column, 1, wide ? 2 : 1);
    }
}

QGroupBox *FieldForm::MakeLimitGrid(QWidget *parent, const QString &title, std::span<const char *const> quantities,
                                    const LimitPair &fields) const
{
    auto *box = new QGroupBox(title, parent);
    // Named by its own title, not by the group around it.
    box->setAccessibleName(title);
    auto *layout = new QGridLayout(box);
    layout->addWidget(new QLabel(QStringLiteral("H"), box), 1, 0);
    layout->addWidget(new QLabel(QStringLiteral("L"), box), 2, 0);
    int column = 1;
    for (const char *q : quantities) {
        const QString name = QString::fromUtf8(q);
        layout->addWidget(new QLabel(name, box), 0, column, Qt::AlignHCenter);
        const auto [upper, lower] = fields(name);
        layout->addWidget(controls_[upper], 1, column, Qt::AlignHCenter);
        layout->addWidget(controls_[lower], 2, column, Qt::AlignHCenter);
        ++column;
    }
    return box;
}
