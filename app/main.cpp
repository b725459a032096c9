#include "allocator.h"
#include "appsetup.h"
#include "hptfrm.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    keepLargeAllocationsInHeap();
    QApplication app(argc, argv);
    setUpApplication(app);

    Hptfrm window;
    window.show();
    return app.exec();
}
