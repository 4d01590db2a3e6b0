#include "ui/Form1.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    Quorvane::Form1 form(Quorvane::systemStartUpEnvironment());
    form.Form_Load();
    form.show();
    return application.exec();
}
