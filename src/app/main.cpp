// Program entry: the application, its one main window, the message loop.
#include "app/Tfrm_barcode.h"
#include "preview/MessageBoxes.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    lbl::preview::QtMessageBoxes boxes;
    WindowContext context;
    context.boxes = &boxes;
    Tfrm_barcode window(context);
    frm_barcode = &window;
    window.show();
    const int result = QApplication::exec();
    frm_barcode = nullptr;
    return result;
}
