#include "ui/Form1.h"
#include "ui/MainWindow.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    Quorvane::MainWindow window(Quorvane::systemStartUpEnvironment());
    window.form().Form_Load();
    window.show();
    return application.exec();
}
