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
#include <QRegularExpression>
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
constexpr const char *kProperties[] = {"text",        "title",     "accessibleName", "accessibleDescription",
                                       "toolTip",     "windowTitle", "statusTip",    "whatsThis",
                                       "placeholderText", "prefix", "suffix",       "specialValueText",
                                       "format",      "iconText"};
constexpr int kRepaintProperties = 4;
// Item data roles holding an item's source text and the text it was given.
constexpr int kSourceRole = Qt::UserRole + 0x4B5A;
constexpr int kShownRole = kSourceRole + 1;

// Texts the program joins from pieces, as one translatable pattern each:
// a text that is not itself in the translation is matched against these in
// order, and its pieces are translated on their own and put into the
// pattern's translation.
constexpr const char *kPatterns[] = {
    QT_TRANSLATE_NOOP("kz", "%1：%2"),
    QT_TRANSLATE_NOOP("kz", "%1："),
    QT_TRANSLATE_NOOP("kz", "%1 %2"),
    QT_TRANSLATE_NOOP("kz", "%1H"),
    QT_TRANSLATE_NOOP("kz", "%1L"),
    QT_TRANSLATE_NOOP("kz", "%1上限"),
    QT_TRANSLATE_NOOP("kz", "%1下限"),
    QT_TRANSLATE_NOOP("kz", "%1回差值"),
    QT_TRANSLATE_NOOP("kz", "%1报警延时"),
    QT_TRANSLATE_NOOP("kz", "%1报警继电器"),
    QT_TRANSLATE_NOOP("kz", "%1报警启用"),
    QT_TRANSLATE_NOOP("kz", "%1测量"),
    QT_TRANSLATE_NOOP("kz", "%1接通有效"),
    QT_TRANSLATE_NOOP("kz", "%1断开有效"),
    QT_TRANSLATE_NOOP("kz", "普通模式%1"),
    QT_TRANSLATE_NOOP("kz", "基波模式%1"),
    QT_TRANSLATE_NOOP("kz", "谐波模式%1"),
    QT_TRANSLATE_NOOP("kz", "基波%1"),
    QT_TRANSLATE_NOOP("kz", "谐波%1"),
    QT_TRANSLATE_NOOP("kz", "对应开关量信号%1"),
    QT_TRANSLATE_NOOP("kz", "对应%1"),
};

QTranslator *g_translator = nullptr;
// The item lists ("甲|乙|丙") whose items are shown one by one, and their
// items' translations in the active language.
QList<QByteArray> g_lists;
QHash<QString, QString> g_items;
QString g_language = QStringLiteral("zh");

bool HasHan(const QString &text)
{
    for (QChar c : text)
        if (c.script() == QChar::Script_Han)
            return true;
    return false;
}

QString Translate(const QString &text, int depth = 0);

// A piece put into a translated pattern: a word after the start is in lower
// case, unless it is an abbreviation ("UA", "DI1").
QString Piece(const QString &piece, bool first)
{
    QString t = Translate(piece, 1);
    if (!first && t.size() > 1 && t[0].isUpper() && t[1].isLower())
        t[0] = t[0].toLower();
    return t;
}

QString Translate(const QString &text, int depth)
{
    if (!HasHan(text) || depth > 4)
        return text;
    // Blanks around a text are kept as they are.
    const QString core = text.trimmed();
    if (core.size() != text.size()) {
        const qsizetype lead = text.indexOf(core);
        return text.left(lead) + Translate(core, depth + 1) + text.mid(lead + core.size());
    }
    const QString whole = kz::Tr(text);
    if (whole != text)
        return whole;
    if (const auto item = g_items.constFind(text); item != g_items.constEnd())
        return *item;
    // A text written down the side, one character a line.
    if (text.size() > 2 && text.size() % 2 == 1 && text.count(QLatin1Char('\n')) == text.size() / 2)
        return Translate(QString(text).remove(QLatin1Char('\n')), depth + 1).replace(QLatin1Char(' '), QLatin1Char('\n'));
    // "Caption：value": the caption is often in the translation with its
    // colon.
    if (const qsizetype colon = text.indexOf(QChar(0xFF1A)); colon > 0 && colon + 1 < text.size()) {
        const QString head = Translate(text.left(colon + 1), depth + 1);
        const QString tail = Piece(text.mid(colon + 1), false);
        if (!HasHan(head) && !HasHan(tail))
            return head + QLatin1Char(' ') + tail;
    }
    // A caption with a unit or a name in Latin letters after it ("电压单位V").
    static const QRegularExpression latinTail(QStringLiteral("^(.*\\p{Han}\\W*)([A-Za-z][A-Za-z0-9]*)$"));
    if (const QRegularExpressionMatch m = latinTail.match(text); m.hasMatch()) {
        const QString head = Translate(m.captured(1), depth + 1);
        if (!HasHan(head))
            return head + QLatin1Char(' ') + m.captured(2);
    }
    for (const char *pattern : kPatterns) {
        const QString source = QString::fromUtf8(pattern);
        const QString target = kz::Tr(pattern);
        static QHash<QString, QRegularExpression> compiled;
        auto re = compiled.constFind(source);
        if (re == compiled.constEnd()) {
            // The literal parts escaped, the arguments as groups.
            QString rx;
            for (qsizetype i = 0; i < source.size(); ++i) {
                if (source[i] == QLatin1Char('%') && i + 1 < source.size() && (source[i + 1] == QLatin1Char('1') || source[i + 1] == QLatin1Char('2'))) {
                    rx += source[++i] == QLatin1Char('1') ? QStringLiteral("(.+?)") : QStringLiteral("(.+)");
                    continue;
                }
                rx += QRegularExpression::escape(QString(source[i]));
            }
            re = compiled.insert(source, QRegularExpression(QLatin1Char('^') + rx + QLatin1Char('$')));
        }
        const QRegularExpressionMatch m = re->match(text);
        if (!m.hasMatch())
            continue;
        QString out = target;
        const qsizetype at1 = target.indexOf(QStringLiteral("%1"));
        const qsizetype at2 = target.indexOf(QStringLiteral("%2"));
        out.replace(QStringLiteral("%1"), Piece(m.captured(1), at1 == 0));
        if (m.lastCapturedIndex() >= 2)
            out.replace(QStringLiteral("%2"), Piece(m.captured(2), at2 == 0 || at1 < 0));
        if (!HasHan(out))
            return out;
    }
    return text;
}

// The translations of every listed item in the active language.
void TranslateLists()
{
    g_items.clear();
    for (const QByteArray &list : std::as_const(g_lists)) {
        const QStringList sources = QString::fromUtf8(list).split(QLatin1Char('|'));
        const QStringList targets = kz::Tr(list.constData()).split(QLatin1Char('|'));
        if (sources.size() == targets.size())
            for (qsizetype i = 0; i < sources.size(); ++i)
                g_items.insert(sources[i], targets[i]);
    }
}

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
    const QString text = Translate(source);
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
    const QString text = Translate(source);
    if (text == current && shown.isValid())
        return;
    item->setData(column, kSourceRole, source);
    item->setData(column, kShownRole, text);
    if (text != current)
        item->setText(column, text);
}

// Adapter giving table and list items (one text per item) the tree items'
// column interface.
template <typename Single>
struct SingleItem {
    Single *item;
    QString text(int) const { return item->text(); }
    QVariant data(int, int role) const { return item->data(role); }
    void setData(int, int role, const QVariant &v) { item->setData(role, v); }
    void setText(int, const QString &t) { item->setText(t); }
};

struct ComboItem {
    QComboBox *combo;
    int index;
    QString text(int) const { return combo->itemText(index); }
    QVariant data(int, int role) const { return combo->itemData(index, role); }
    void setData(int, int role, const QVariant &v) { combo->setItemData(index, v, role); }
    void setText(int, const QString &t) { combo->setItemText(index, t); }
};
// A tab keeps its texts' sources in properties of the tab widget.
struct TabItem {
    QTabWidget *tabs;
    int index;
    QByteArray key(int role) const { return "_kz_tab_" + QByteArray::number(index) + '_' + QByteArray::number(role); }
    QString text(int) const { return tabs->tabText(index); }
    QVariant data(int, int role) const { return tabs->property(key(role).constData()); }
    void setData(int, int role, const QVariant &v) { tabs->setProperty(key(role).constData(), v); }
    void setText(int, const QString &t) { tabs->setTabText(index, t); }
};

void TranslateTableItem(QTableWidgetItem *item)
{
    if (!item)
        return;
    SingleItem<QTableWidgetItem> adapter{item};
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
            SingleItem<QListWidgetItem> adapter{list->item(r)};
            TranslateItem(&adapter, 0);
        }
    } else if (auto *tree = qobject_cast<QTreeWidget *>(w)) {
        TranslateTreeItem(tree->headerItem());
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            TranslateTreeItem(tree->topLevelItem(i));
    } else if (auto *combo = qobject_cast<QComboBox *>(w)) {
        for (int i = 0; i < combo->count(); ++i) {
            ComboItem adapter{combo, i};
            TranslateItem(&adapter, 0);
        }
    } else if (auto *tabs = qobject_cast<QTabWidget *>(w)) {
        for (int i = 0; i < tabs->count(); ++i) {
            TabItem adapter{tabs, i};
            TranslateItem(&adapter, 0);
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
            // Polished before a window is first sized, so that it is sized
            // for the translated texts.
            if (e->type() == QEvent::Show || e->type() == QEvent::Polish)
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
    TranslateLists();
    if (!g_filter) {
        g_filter = new Translating(qApp);
        qApp->installEventFilter(g_filter);
    }
    const QList<QWidget *> all = QApplication::allWidgets();
    for (QWidget *w : all)
        TranslateWidget(w, std::size(kProperties));
    return true;
}

QString TranslateText(const QString &text)
{
    return g_translator ? Translate(text) : text;
}

void RegisterList(const char *items)
{
    const QByteArray list(items);
    if (g_lists.contains(list))
        return;
    g_lists.append(list);
    if (g_translator)
        TranslateLists();
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
