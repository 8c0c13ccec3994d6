// Program entry: the application, its one main window, the message loop.
#include "app/Tfrm_barcode.h"
#include "designer/DesignerLauncher.h"
#include "designer/FileDialogs.h"
#include "preview/MessageBoxes.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    lbl::preview::QtMessageBoxes boxes;
    lbl::designer::QtFileDialogs fileDialogs;
    lbl::designer::ModalDesignerLauncher designer(boxes, fileDialogs);
    WindowContext context;
    context.boxes = &boxes;
    context.designer = &designer;
    Tfrm_barcode window(context);
    frm_barcode = &window;
    window.show();
    const int result = QApplication::exec();
    frm_barcode = nullptr;
    return result;
}
