#include "app/Appearance.h"

#include "editor_ui/style/ProgramStyle.h"
#include "platform/Fonts.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLoggingCategory>
#include <QTranslator>

namespace tavero {

Q_LOGGING_CATEGORY(lcAppearance, "tavero.appearance")

namespace {

void useProgramFont() {
    Fonts::load();
    QFont font = QApplication::font();
    font.setFamily(QString::fromLatin1(Fonts::family));
    QApplication::setFont(font);
}

// Qt's catalogue of its own texts (buttons of message boxes, the text
// fields' context menus, file dialogs), from the qt6-translations-l10n package.
void loadQtTranslations(QApplication& application) {
    auto* translator = new QTranslator(&application);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qt"), QStringLiteral("_"), folder))
        QApplication::installTranslator(translator);
    else
        qCWarning(lcAppearance) << "no Chinese translations of Qt in" << folder;
}

}  // namespace

void applyAppearance(QApplication& application) {
    ProgramStyle::install();
    useProgramFont();
    loadQtTranslations(application);
}

}  // namespace tavero
