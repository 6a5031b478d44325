#pragma once
// Qt's own texts (the Yes, No, OK and Cancel buttons, the file dialog) in the
// user's language, from Qt's translations. The clock's own texts do not go
// through Qt's translation and stay as they are, in both of its languages.

#include <QLocale>

class QTranslator;

// Installs Qt's translation for `locale`; gives it (owned by the application),
// or null when Qt has none for that language.
QTranslator* loadQtTranslations(const QLocale& locale = QLocale::system());
