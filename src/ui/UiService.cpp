#include "ui/UiService.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>

namespace sorvane {

namespace {

int showBox(const QString &text, const QString &title, QMessageBox::StandardButtons buttons,
            QMessageBox::StandardButton preset = QMessageBox::Ok)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, buttons, QApplication::activeWindow());
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setDefaultButton(preset);
    return box.exec();
}

} // namespace

void QtUiService::information(const QString &text, const QString &title)
{
    showBox(text, title, QMessageBox::Ok);
}

bool QtUiService::confirm(const QString &text, const QString &title, Default preset)
{
    return showBox(text, title, QMessageBox::Ok | QMessageBox::Cancel,
                   preset == Default::Cancel ? QMessageBox::Cancel : QMessageBox::Ok) == QMessageBox::Ok;
}

int QtUiService::runModal(QDialog *window)
{
    return window->exec();
}

} // namespace sorvane
