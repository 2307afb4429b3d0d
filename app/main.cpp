#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label("Brenwick has no screens yet.");
    label.setWindowTitle("Brenwick");
    label.resize(1680, 1050);
    label.show();
    return app.exec();
}
