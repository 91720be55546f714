#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label("Quillmix");
    label.setWindowTitle("Quillmix");
    label.show();
    return app.exec();
}
