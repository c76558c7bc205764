#include "ui/controls/AppMessageBox.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include "ui/controls/UiThread.h"

namespace tonalbox::controls {

namespace {

QWidget* DefaultOwner() {
    QWidget* w = QApplication::activeModalWidget();
    if (!w) w = QApplication::activeWindow();
    return w;
}

}  // namespace

std::string AppTitle() {
    QString path = QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
    return QFileInfo(path).completeBaseName().toStdString();
}

void AppMessageBox(const std::string& text, QWidget* owner) {
    QPointer<QWidget> parent = IsUiThread() ? owner : nullptr;
    RunOnUiThread([&] {
        QMessageBox box(QMessageBox::Warning, QString::fromStdString(AppTitle()),
                        QString::fromStdString(text), QMessageBox::Ok,
                        parent ? parent.data() : DefaultOwner());
        box.exec();
    });
}

bool AskYesNoBox(const std::string& text) {
    bool yes = false;
    RunOnUiThread([&] {
        QMessageBox box(QMessageBox::Question, QString(), QString::fromStdString(text),
                        QMessageBox::Yes | QMessageBox::No, DefaultOwner());
        yes = box.exec() == QMessageBox::Yes;
    });
    return yes;
}

}  // namespace tonalbox::controls
