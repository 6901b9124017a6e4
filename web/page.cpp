#include "web/page.h"

#include "ui/runtime.h"
#include "web/accessibletwin.h"

#include <QFont>
#include <QFontDatabase>

#include <emscripten/val.h>

namespace web {

namespace {

// The page script's object, which shows what the page says in place of the
// window; undefined where the program runs in another page.
emscripten::val pageScript()
{
    return emscripten::val::global("vendrolaPage");
}

// A run-time error is shown where the window was, in the message box's
// words; the program then ends.
void showInPage(ui::RuntimeError kind, const QString &where)
{
    if (const emscripten::val page = pageScript(); !page.isUndefined())
        page.call<void>("showFault", ui::userMessage(kind, where).toStdString());
}

} // namespace

void preparePage()
{
    // The page carries Liberation Serif, metric-compatible with the Times
    // New Roman the window asks for; the colour buttons' MS Sans Serif shows
    // no text, and is mapped to it too, so that no font goes missing.
    QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/LiberationSerif-Regular.ttf"));
    for (const char *family : {"Times New Roman", "MS Sans Serif"})
        QFont::insertSubstitution(QString::fromLatin1(family), QStringLiteral("Liberation Serif"));
    ui::setRuntimeErrorPresenter(showInPage);
    installAccessibleTwin();
}

} // namespace web
