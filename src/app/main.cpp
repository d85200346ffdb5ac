#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Tq580"));
    window.setMinimumSize(1024, 690);
    window.setCentralWidget(new QLabel(QStringLiteral("Tq580"), &window));
    window.show();
    return application.exec();
}
