// The yardstick for start-up: an empty Qt window of Vendrola's size. Built
// a second time with WITH_TEXT, it shows one line of text in Vendrola's font,
// which tells apart what any text costs the toolkit from what is Vendrola's.

#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.setFixedSize(609, 367);
#ifdef WITH_TEXT
    QLabel label(QStringLiteral("Изберете цвят"), &window);
    QFont font(QStringLiteral("Times New Roman"), 12);
    font.setHintingPreference(QFont::PreferFullHinting);
    label.setFont(font);
    label.setGeometry(24, 40, 113, 17);
#endif
    window.show();
    return QApplication::exec();
}
