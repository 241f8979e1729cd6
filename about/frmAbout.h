#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The About box: which controllers the program serves, its version and date, a
// use-at-own-risk notice and the author's lines. It is made on first use and
// deletes itself when closed; the caption names the application title that was in
// force when it was made.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget *parent = nullptr);

    // The captions of the date and version labels, which whoever shows the box writes.
    void setDatum(const QString &caption);
    void setVersion(const QString &caption);

public slots:
    void cmdOK_Click();

private:
    void Form_Load();

    QLabel *lblDatum = nullptr;
    QLabel *lblVersion = nullptr;
};
