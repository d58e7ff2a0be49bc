#include <QApplication>

#include "ui/application.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    return zentaro::RunApplication();
}
