#include "app/CNetroveApp.h"

int main(int argc, char** argv)
{
    Netrove::CNetroveApp app(argc, argv);
    app.InitInstance();
    return 0;
}
