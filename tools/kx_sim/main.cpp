// kx_sim: plays the flight controller on a pseudo-terminal (first version).
#include <QCoreApplication>
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    return 0;
}
