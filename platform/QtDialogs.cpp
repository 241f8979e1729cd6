#include "platform/QtDialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

bool QtDialogs::loadGermanQtTexts(QCoreApplication &app)
{
    auto *translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        && QCoreApplication::installTranslator(translator))
        return true;
    delete translator;
    return false;
}

Dialogs::Answer QtDialogs::msgBox(const QString &prompt, Buttons buttons, Icon icon,
                                  const QString &title)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(title.isEmpty() ? QCoreApplication::applicationName() : title);
    // Prompts carry texts of the store, the line and the system: never markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(prompt);
    switch (icon) {
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    }
    switch (buttons) {
    case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case Buttons::AbortRetryIgnore:
        box.setStandardButtons(QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Cancel: return Answer::Cancel;
    case QMessageBox::Abort: return Answer::Abort;
    case QMessageBox::Retry: return Answer::Retry;
    case QMessageBox::Ignore: return Answer::Ignore;
    default: break;
    }
    // Closing a three-button box by its title bar counts as Abort, the safe answer.
    return buttons == Buttons::AbortRetryIgnore ? Answer::Abort
         : buttons == Buttons::OkCancel ? Answer::Cancel : Answer::Ok;
}

QString QtDialogs::saveFileName(const QString &title, const QString &suggestion, const QStringList &types, int *type)
{
    QString chosen = types.value(type ? *type : 0);
    const QString path = QFileDialog::getSaveFileName(m_parent, title, suggestion, types.join(QStringLiteral(";;")),
                                                      types.isEmpty() ? nullptr : &chosen);
    if (type)
        *type = std::max(0, int(types.indexOf(chosen)));
    return path;
}

QString QtDialogs::inputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(m_parent, title, prompt, QLineEdit::Normal,
                                                 defaultText, &ok);
    return ok ? answer : QString();
}
