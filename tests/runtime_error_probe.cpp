// Starts the window, then commits one run-time error named on the command
// line. A timer plays the user: it prints the message box's text to standard
// output and closes the box, after which the process must end by itself.

#include "app/vendrola.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QString fault = argc > 1 ? QString::fromLatin1(argv[1]) : QString();
    app::Vendrola window;
    window.show();

    QTimer reader;
    QObject::connect(&reader, &QTimer::timeout, &reader, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            std::printf("%s|%s\n", qUtf8Printable(box->windowTitle()), qUtf8Printable(box->text()));
            std::fflush(stdout);
            box->accept();
        }
    });
    reader.start(20);

    QTimer::singleShot(0, &window, [&] {
        ui::Form &form = window.form();
        if (fault == "control")
            form.Command1(8).setEnabled(false);
        else if (fault == "listindex")
            form.List1(0).setListIndex(12);
        else if (fault == "list")
            form.List1(3).List(-1);
        else if (fault == "overflow")
            ui::CInt(32767.5);
        else if (fault == "subscript")
            window.SeriesColor(4);
        else if (fault == "colour")
            form.Label2(1).setBackColor(0x01000000);
        std::printf("no error\n");
        QApplication::exit(0);
    });
    return QApplication::exec();
}
