#include <QApplication>

// Placeholder until the application wiring lands.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return 0;
}
