#include "ui/language.h"

#include "core/tr.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaProperty>
#include <QSettings>
#include <QTabWidget>
#include <QTableWidget>
#include <QTranslator>
#include <QTreeWidget>

namespace {

struct LanguageInfo {
    const char *code;
    const char *name;
};
// Chinese is the source language: it needs no translator.
constexpr LanguageInfo kLanguages[] = {{"zh", "中文"}, {"en", "English"}};

// The texts of a widget or action that are translated, by property name.
// On a repaint only the first ones (what the program changes while a window
// is open) are looked at again.
constexpr const char *kProperties[] = {"text",     "title",     "accessibleName", "toolTip",
                                       "windowTitle", "statusTip", "whatsThis",   "accessibleDescription",
                                       "placeholderText", "prefix", "suffix",     "specialValueText",
                                       "format",   "iconText"};
constexpr int kRepaintProperties = 3;
// Item data roles holding an item's source text and the text it was given.
constexpr int kSourceRole = Qt::UserRole + 0x4B5A;
constexpr int kShownRole = kSourceRole + 1;

QTranslator *g_translator = nullptr;
QString g_language = QStringLiteral("zh");

// The source of a text: the one remembered, unless the program has changed
// the text since it was translated.
QString Source(const QVariant &source, const QVariant &shown, const QString &current)
{
    return shown.isValid() && shown.toString() == current ? source.toString() : current;
}

void TranslateProperty(QObject *o, const char *name)
{
    const QMetaObject *meta = o->metaObject();
    const int index = meta->indexOfProperty(name);
    if (index < 0)
        return;
    const QMetaProperty property = meta->property(index);
    if (!property.isWritable() || property.metaType().id() != QMetaType::QString)
        return;
    // An editable line's text is the user's, not the program's.
    if (auto *edit = qobject_cast<QLineEdit *>(o); edit && !edit->isReadOnly() && qstrcmp(name, "text") == 0)
        return;
    const QString current = property.read(o).toString();
    const QByteArray sourceKey = QByteArray("_kz_source_") + name;
    const QByteArray shownKey = QByteArray("_kz_shown_") + name;
    const QVariant shown = o->property(shownKey.constData());
    if (current.isEmpty() && !shown.isValid())
        return;
    const QString source = Source(o->property(sourceKey.constData()), shown, current);
    const QString text = kz::Tr(source);
    if (!shown.isValid() || shown.toString() != text || o->property(sourceKey.constData()).toString() != source) {
        o->setProperty(sourceKey.constData(), source);
        o->setProperty(shownKey.constData(), text);
    }
    if (text != current)
        property.write(o, text);
}

void TranslateObject(QObject *o, int properties)
{
    for (int i = 0; i < properties; ++i)
        TranslateProperty(o, kProperties[i]);
}

template <typename Item>
void TranslateItem(Item *item, int column)
{
    if (!item)
        return;
    const QString current = item->text(column);
    const QVariant shown = item->data(column, kShownRole);
    const QString source = Source(item->data(column, kSourceRole), shown, current);
    const QString text = kz::Tr(source);
    if (text == current && shown.isValid())
        return;
    item->setData(column, kSourceRole, source);
    item->setData(column, kShownRole, text);
    if (text != current)
        item->setText(column, text);
}

// Adapters giving table and list items the tree items' column interface.
struct TableItem {
    QTableWidgetItem *item;
    QString text(int) const { return item->text(); }
    QVariant data(int, int role) const { return item->data(role); }
    void setData(int, int role, const QVariant &v) { item->setData(role, v); }
    void setText(int, const QString &t) { item->setText(t); }
};
struct ListItem {
    QListWidgetItem *item;
    QString text(int) const { return item->text(); }
    QVariant data(int, int role) const { return item->data(role); }
    void setData(int, int role, const QVariant &v) { item->setData(role, v); }
    void setText(int, const QString &t) { item->setText(t); }
};

void TranslateTableItem(QTableWidgetItem *item)
{
    if (!item)
        return;
    TableItem adapter{item};
    TranslateItem(&adapter, 0);
}

void TranslateTreeItem(QTreeWidgetItem *item)
{
    for (int c = 0; c < item->columnCount(); ++c)
        TranslateItem(item, c);
    for (int i = 0; i < item->childCount(); ++i)
        TranslateTreeItem(item->child(i));
}

void TranslateViews(QWidget *w)
{
    if (auto *table = qobject_cast<QTableWidget *>(w)) {
        for (int c = 0; c < table->columnCount(); ++c)
            TranslateTableItem(table->horizontalHeaderItem(c));
        for (int r = 0; r < table->rowCount(); ++r) {
            TranslateTableItem(table->verticalHeaderItem(r));
            for (int c = 0; c < table->columnCount(); ++c)
                TranslateTableItem(table->item(r, c));
        }
    } else if (auto *list = qobject_cast<QListWidget *>(w)) {
        for (int r = 0; r < list->count(); ++r) {
            ListItem adapter{list->item(r)};
            TranslateItem(&adapter, 0);
        }
    } else if (auto *tree = qobject_cast<QTreeWidget *>(w)) {
        TranslateTreeItem(tree->headerItem());
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            TranslateTreeItem(tree->topLevelItem(i));
    } else if (auto *combo = qobject_cast<QComboBox *>(w)) {
        for (int i = 0; i < combo->count(); ++i) {
            const QString current = combo->itemText(i);
            const QVariant shown = combo->itemData(i, kShownRole);
            const QString source = Source(combo->itemData(i, kSourceRole), shown, current);
            const QString text = kz::Tr(source);
            if (text == current && shown.isValid())
                continue;
            combo->setItemData(i, source, kSourceRole);
            combo->setItemData(i, text, kShownRole);
            if (text != current)
                combo->setItemText(i, text);
        }
    } else if (auto *tabs = qobject_cast<QTabWidget *>(w)) {
        for (int i = 0; i < tabs->count(); ++i) {
            const QByteArray key = "_kz_tab_" + QByteArray::number(i);
            const QString current = tabs->tabText(i);
            const QVariant shown = tabs->property(key + "_shown");
            const QString source = Source(tabs->property(key + "_source"), shown, current);
            const QString text = kz::Tr(source);
            tabs->setProperty(key + "_source", source);
            tabs->setProperty(key + "_shown", text);
            if (text != current)
                tabs->setTabText(i, text);
        }
    }
}

void TranslateWidget(QWidget *w, int properties)
{
    TranslateObject(w, properties);
    const QList<QAction *> actions = w->actions();
    for (QAction *a : actions)
        TranslateObject(a, std::size(kProperties));
    TranslateViews(w);
    // An item view paints its items on its viewport.
    if (auto *view = qobject_cast<QAbstractItemView *>(w->parentWidget()); view && view->viewport() == w)
        TranslateViews(view);
}

// Translates widgets as they are shown and as they repaint, while a
// language other than the source language is active.
class Translating : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (o->isWidgetType()) {
            if (e->type() == QEvent::Show)
                TranslateWidget(static_cast<QWidget *>(o), std::size(kProperties));
            else if (e->type() == QEvent::Paint)
                TranslateWidget(static_cast<QWidget *>(o), kRepaintProperties);
        }
        return false;
    }
};

Translating *g_filter = nullptr;

} // namespace

namespace ui {

QStringList Languages()
{
    QStringList codes;
    for (const LanguageInfo &l : kLanguages)
        codes.append(QLatin1String(l.code));
    return codes;
}

QString LanguageName(const QString &code)
{
    for (const LanguageInfo &l : kLanguages)
        if (code == QLatin1String(l.code))
            return QString::fromUtf8(l.name);
    return code;
}

QString CurrentLanguage()
{
    return g_language;
}

bool SetLanguage(const QString &code)
{
    if (!Languages().contains(code))
        return false;
    if (code == g_language)
        return true;
    std::unique_ptr<QTranslator> next;
    if (code != Languages().front()) {
        next = std::make_unique<QTranslator>();
        if (!next->load(QStringLiteral(":/i18n/kzdebug_%1.qm").arg(code)))
            return false;
    }
    if (g_translator) {
        QCoreApplication::removeTranslator(g_translator);
        delete g_translator;
        g_translator = nullptr;
    }
    if (next) {
        g_translator = next.release();
        QCoreApplication::installTranslator(g_translator);
    }
    g_language = code;
    if (!g_filter) {
        g_filter = new Translating(qApp);
        qApp->installEventFilter(g_filter);
    }
    const QList<QWidget *> all = QApplication::allWidgets();
    for (QWidget *w : all)
        TranslateWidget(w, std::size(kProperties));
    return true;
}

void Retranslate(QWidget *root)
{
    if (!g_filter)
        return;
    TranslateWidget(root, std::size(kProperties));
    const QList<QWidget *> children = root->findChildren<QWidget *>();
    for (QWidget *w : children)
        TranslateWidget(w, std::size(kProperties));
}

QString SavedLanguage()
{
    const QString code = QSettings(QStringLiteral("kzdebug"), QStringLiteral("kzdebug")).value(QStringLiteral("language")).toString();
    return Languages().contains(code) ? code : Languages().front();
}

void SaveLanguage(const QString &code)
{
    QSettings(QStringLiteral("kzdebug"), QStringLiteral("kzdebug")).setValue(QStringLiteral("language"), code);
}

} // namespace ui
