#include "uAppServices.h"
#include "uApplication.h"
#include "uMainForm.h"

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    TQtAppServices services;
    TFMainForm main;
    main.show();
    return app.exec();
}
