#pragma once
// The language of the user interface. Chinese is the source language; other
// languages are Qt translators (kzdebug_<code>.qm) embedded in the program.
//
// Windows are built with their Chinese texts. While another language is
// active, every widget's texts (caption, title, tool tip, accessible name,
// list and table items, actions) are translated when it is shown, when it
// repaints after the program changed a text, and on a switch of language. The
// widget remembers each text's source, so a later switch translates from
// Chinese again.
#include <QString>
#include <QStringList>

class QWidget;

namespace ui {
// The language codes offered, Chinese first: "zh", "en".
QStringList Languages();
// The name of a language in itself, for the menu: "中文", "English".
QString LanguageName(const QString &code);
// The active language code.
QString CurrentLanguage();
// Installs the language's translator (removes it for Chinese) and translates
// every existing widget at once. False for an unknown code or a translation
// that cannot be loaded; the language is then unchanged.
bool SetLanguage(const QString &code);
// A text in the active language: a whole text from the translation, an item
// of a registered list, or a text joined from pieces by one of the known
// patterns ("%1上限"), its pieces translated. Unknown texts are returned as
// they are.
QString TranslateText(const QString &text);
// Makes the items of a list ("甲|乙|丙", a marked text) translatable one by
// one wherever they are shown.
void RegisterList(const char *items);
// Translates one widget and its children into the active language now.
void Retranslate(QWidget *root);
// The language remembered from the last run ("zh" when none was chosen), and
// remembering a choice.
QString SavedLanguage();
void SaveLanguage(const QString &code);
} // namespace ui
