#pragma once

#include <QDialog>

class QPushButton;

namespace sorvane {

// The splash shown at start-up, and again as the version box.
class Logo : public QDialog {
    Q_OBJECT
public:
    explicit Logo(QWidget *parent = nullptr);

    // Hidden at start-up, when the main window's timer closes the splash.
    void setCloseButtonVisible(bool visible);
    QPushButton *closeButton() const { return m_close; }

    static QString versionText();

private:
    QPushButton *m_close = nullptr;
};

} // namespace sorvane
