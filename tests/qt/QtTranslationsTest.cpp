// Qt's own dialog texts in the user's language, from Debian's Qt translations.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QTranslator>

#include "app/qt/QtTranslations.h"
#include "support/QtApp.h"

namespace {

struct ButtonCase {
    const char* locale;
    const char* yes;
    const char* no;
};

TEST(QtTranslations, YesAndNoFollowTheLanguage) {
    qtApp();
    for (const ButtonCase& c :
         {ButtonCase{"fr_FR", "&Oui", "&Non"}, ButtonCase{"de_DE", "&Ja", "&Nein"},
          ButtonCase{"en_US", "&Yes", "&No"}}) {
        QTranslator* translator = loadQtTranslations(QLocale(c.locale));
        QMessageBox box(QMessageBox::NoIcon, "Options", "?", QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(box.button(QMessageBox::Yes)->text(), c.yes) << c.locale;
        EXPECT_EQ(box.button(QMessageBox::No)->text(), c.no) << c.locale;
        if (translator) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }
}

}  // namespace
