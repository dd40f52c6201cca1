// The floor for lumdrak's start-up: a bare Qt 6 dialog with one line of text, built and
// started the same way. bench/startup.sh compares the two.

#include <QApplication>
#include <QDialog>
#include <QLabel>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Minimal"));
    QLabel label(QStringLiteral("?"), &dialog);
    dialog.resize(511, 299);
    return dialog.exec() == QDialog::Accepted ? 0 : 1;
}
