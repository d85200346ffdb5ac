#pragma once

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

// "About Tq580_win": the program's name, version and logo.
class TForm3 : public QDialog {
    Q_OBJECT

public:
    explicit TForm3(QWidget* parent = nullptr);

    QLabel* Label1;
    QLabel* VersionLabel;
    QFrame* Panel1;
    QLabel* Image1;
    QPushButton* OkButton;

private:
    void FormCreate();
};
