#include "terminal/views/frmGyro_Verlauf.h"

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "serial/CommError.h"
#include "terminal/views/GyroPlot.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPixmap>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

namespace {
QLabel *addFigure(QWidget *parent, QLayout *layout, const char *name)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1StringView(name));
    l->setTextFormat(Qt::PlainText);
    layout->addWidget(l);
    return l;
}

// Figures change with nearly every reading; a label left as it is costs nothing.
void setText(QLabel *label, const QString &text)
{
    if (label->text() != text)
        label->setText(text);
}

QString suggestedFile(const char *extension)
{
    return QDir::home().filePath(QStringLiteral("gyro-verlauf-%1.%2")
                                     .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")),
                                          QLatin1StringView(extension)));
}
} // namespace

frmGyro_Verlauf::frmGyro_Verlauf(const GyroSeries &series, const Clock &clock, Dialogs &dialogs, QWidget *parent)
    : QWidget(parent, Qt::Window), m_series(series), m_clock(clock), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmGyro_Verlauf"));
    setWindowTitle(QStringLiteral("Gyro-Verlauf"));

    picVerlauf = new GyroPlot(series, this);
    picVerlauf->setObjectName(QStringLiteral("picVerlauf"));

    auto *figures = new QVBoxLayout;
    lblGyro = addFigure(this, figures, "lblGyro");
    QFont bold = lblGyro->font();
    bold.setBold(true);
    lblGyro->setFont(bold);
    lblAktuell = addFigure(this, figures, "lblAktuell");
    lblMinimum = addFigure(this, figures, "lblMinimum");
    lblMaximum = addFigure(this, figures, "lblMaximum");
    lblMittelwert = addFigure(this, figures, "lblMittelwert");
    lblStandardabweichung = addFigure(this, figures, "lblStandardabweichung");
    lblSpanne = addFigure(this, figures, "lblSpanne");
    lblMesswerte = addFigure(this, figures, "lblMesswerte");
    lblLuecken = addFigure(this, figures, "lblLuecken");
    figures->addStretch(1);
    // Of a fixed size that holds the widest figures: new figures then neither move
    // the plot nor cost a new layout of the window.
    const QString widest[] = {QStringLiteral("Standardabweichung: 19,00"),
                              QStringLiteral("Messwerte: %1").arg(GyroSeries::Capacity)};
    const QList<QLabel *> labels{lblGyro, lblAktuell, lblMinimum, lblMaximum, lblMittelwert,
                                 lblStandardabweichung, lblSpanne, lblMesswerte, lblLuecken};
    int figuresWidth = QFontMetrics(bold).horizontalAdvance(QStringLiteral("Keine Messwerte"));
    for (const QString &text : widest)
        figuresWidth = std::max(figuresWidth, fontMetrics().horizontalAdvance(text));
    for (QLabel *l : labels)
        l->setFixedSize(figuresWidth + fontMetrics().averageCharWidth() * 2,
                        QFontMetrics(l->font()).height() + 2 * l->margin());

    auto *zeitraum = new QLabel(QStringLiteral("Zeitraum:"), this);
    zeitraum->setObjectName(QStringLiteral("lblZeitraum"));
    cboZeitraum = new QComboBox(this);
    cboZeitraum->setObjectName(QStringLiteral("cboZeitraum"));
    for (int s : Spans)
        cboZeitraum->addItem(QStringLiteral("%1 s").arg(s), s);
    cboZeitraum->setCurrentIndex(cboZeitraum->findData(DefaultSpan));
    zeitraum->setBuddy(cboZeitraum);
    cmdAnhalten = new QPushButton(QStringLiteral("Anhalten"), this);
    cmdAnhalten->setObjectName(QStringLiteral("cmdAnhalten"));
    cmdBildSpeichern = new QPushButton(QStringLiteral("Bild speichern…"), this);
    cmdBildSpeichern->setObjectName(QStringLiteral("cmdBildSpeichern"));
    cmdDatenSpeichern = new QPushButton(QStringLiteral("Daten speichern…"), this);
    cmdDatenSpeichern->setObjectName(QStringLiteral("cmdDatenSpeichern"));

    auto *top = new QHBoxLayout;
    top->addWidget(picVerlauf, 1);
    top->addLayout(figures);
    auto *commands = new QHBoxLayout;
    commands->addWidget(zeitraum);
    commands->addWidget(cboZeitraum);
    commands->addStretch(1);
    commands->addWidget(cmdAnhalten);
    commands->addWidget(cmdBildSpeichern);
    commands->addWidget(cmdDatenSpeichern);
    auto *all = new QVBoxLayout(this);
    all->addLayout(top, 1);
    all->addLayout(commands);

    m_frame.setSingleShot(true);
    m_frame.setTimerType(Qt::PreciseTimer);
    connect(&m_frame, &QTimer::timeout, this, &frmGyro_Verlauf::displayFrame);
    connect(cboZeitraum, &QComboBox::currentIndexChanged, this, [this] { draw(); });
    connect(cmdAnhalten, &QPushButton::clicked, this, &frmGyro_Verlauf::cmdAnhalten_Click);
    connect(cmdBildSpeichern, &QPushButton::clicked, this, &frmGyro_Verlauf::cmdBildSpeichern_Click);
    connect(cmdDatenSpeichern, &QPushButton::clicked, this, &frmGyro_Verlauf::cmdDatenSpeichern_Click);
    draw();
}

bool frmGyro_Verlauf::drawn() const
{
    return isVisible() && !isMinimized() && !m_held;
}

qint64 frmGyro_Verlauf::spanMs() const
{
    return cboZeitraum->currentData().toInt() * qint64(1000);
}

qint64 frmGyro_Verlauf::rightEdge() const
{
    if (m_held)
        return m_heldAt;
    if (m_series.isEmpty())
        return 0;
    return std::min(m_clock.msecs(), m_series.newest().ms + GlideMs);
}

void frmGyro_Verlauf::displayFrame()
{
    if (!drawn())
        return;
    if (!m_figuresDue && rightEdge() == m_drawnRight && m_series.recorded() == m_drawnRecorded)
        return;   // at rest
    // Never more often than the view's frames; a frame too early waits for its turn.
    const qint64 since = m_sinceDrawn.isValid() ? m_sinceDrawn.elapsed() : DisplayFrame::Ms;
    if (since < DisplayFrame::Ms - 2) {
        const int wait = int(DisplayFrame::Ms - since);
        if (!m_frame.isActive() || m_frame.remainingTime() > wait)
            m_frame.start(wait);
        return;
    }
    draw(false);
}

void frmGyro_Verlauf::draw(bool figures)
{
    m_frame.stop();
    m_sinceDrawn.start();
    const qint64 right = rightEdge();
    const qint64 span = spanMs();
    m_drawnRight = right;
    m_drawnRecorded = m_series.recorded();
    // The gyro of the newest reading shown: a held picture keeps its own.
    std::optional<GyroSeries::Gyro> selected;
    if (const qsizetype shown = m_series.firstAfter(right); shown > 0)
        selected = m_series.at(shown - 1).gyro;
    picVerlauf->setPicture(right, span, selected);
    m_figuresDue = !figures && m_sinceFigures.isValid() && m_sinceFigures.elapsed() < FiguresMs;
    if (!m_figuresDue) {
        m_sinceFigures.start();
        showFigures(right, span, selected);
    }
    // Gliding on, or figures still to show: another frame.
    if (m_held)
        return;
    if (!m_series.isEmpty() && right < m_series.newest().ms + GlideMs)
        m_frame.start(OwnFrameMs);
    else if (m_figuresDue)
        m_frame.start(int(std::max<qint64>(OwnFrameMs, FiguresMs - m_sinceFigures.elapsed())));
}

void frmGyro_Verlauf::showFigures(qint64 right, qint64 span, std::optional<GyroSeries::Gyro> selected)
{
    const QString seconds = QStringLiteral("in den letzten %1 s").arg(span / 1000);
    if (!selected) {
        setText(lblGyro, QStringLiteral("Keine Messwerte"));
        for (QLabel *l : {lblAktuell, lblMinimum, lblMaximum, lblMittelwert, lblStandardabweichung, lblSpanne,
                          lblMesswerte, lblLuecken})
            setText(l, QString());
        picVerlauf->setAccessibleDescription(QStringLiteral("Keine Messwerte"));
        return;
    }
    const GyroSeries::Gyro gyro = *selected;
    const GyroSeries::Figures f = m_series.figures(gyro, right - span, right);
    const QLocale german(QLocale::German);
    const QString none = QStringLiteral("\u2013");
    const bool any = f.readings > 0;
    const QString gyroName = GyroSeries::name(gyro) + QStringLiteral(" Gyro");
    const QString spanText = f.span() == 1 ? QStringLiteral("1 Spalte") : QStringLiteral("%1 Spalten").arg(f.span());
    setText(lblGyro, gyroName);
    setText(lblAktuell, QStringLiteral("Aktuell: ") + (f.current > 0 ? QString::number(f.current) : none));
    setText(lblMinimum, QStringLiteral("Minimum: ") + (any ? QString::number(f.minimum) : none));
    setText(lblMaximum, QStringLiteral("Maximum: ") + (any ? QString::number(f.maximum) : none));
    setText(lblMittelwert, QStringLiteral("Mittelwert: ") + (any ? german.toString(f.mean, 'f', 1) : none));
    setText(lblStandardabweichung,
            QStringLiteral("Standardabweichung: ") + (any ? german.toString(f.deviation, 'f', 2) : none));
    setText(lblSpanne, QStringLiteral("Spanne: ") + (any ? spanText : none));
    setText(lblMesswerte, QStringLiteral("Messwerte: %1").arg(f.readings));
    setText(lblLuecken, QStringLiteral("Lücken: %1").arg(f.gaps));
    // What a screen reader says of the picture.
    const QString current = f.current > 0 ? QStringLiteral("aktuelle Spalte %1").arg(f.current)
                                          : QStringLiteral("keine aktuelle Spalte");
    const QString description = any ? QStringLiteral("%1: %2, Spanne %3 %4").arg(gyroName, current, spanText, seconds)
                                    : QStringLiteral("%1: keine Messwerte %2").arg(gyroName, seconds);
    if (picVerlauf->accessibleDescription() != description)
        picVerlauf->setAccessibleDescription(description);
}

// Shown again, the picture is right at once. (Some window systems send a show
// event on minimising, too.)
void frmGyro_Verlauf::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (drawn())
        draw();
}

void frmGyro_Verlauf::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && drawn())
        draw();
}

void frmGyro_Verlauf::cmdAnhalten_Click()
{
    m_heldAt = m_drawnRight;
    m_held = !m_held;
    cmdAnhalten->setText(m_held ? QStringLiteral("Weiter") : QStringLiteral("Anhalten"));
    draw();
}

void frmGyro_Verlauf::cmdBildSpeichern_Click()
{
    save(QStringLiteral("Bild speichern"), suggestedFile("png"),
         [this](QIODevice &file) { return picVerlauf->grab().save(&file, "PNG"); });
}

void frmGyro_Verlauf::cmdDatenSpeichern_Click()
{
    save(QStringLiteral("Daten speichern"), suggestedFile("csv"), [this](QIODevice &file) {
        const QByteArray text = m_series.csv();
        return file.write(text) == text.size();
    });
}

// The file is complete or not there: it replaces an older one only once all of it
// is written.
bool frmGyro_Verlauf::save(const QString &title, const QString &suggestion,
                           const std::function<bool(QIODevice &)> &write)
{
    const QString path = m_dialogs.saveFileName(title, suggestion);
    if (path.isEmpty())
        return false;
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && write(file) && file.commit())
        return true;
    const QString reason = file.error() != QFileDevice::NoError ? file.errorString()
                                                                : QStringLiteral("Das Bild ließ sich nicht erzeugen.");
    file.cancelWriting();
    m_dialogs.msgBox(QStringLiteral("\"%1\" kann nicht geschrieben werden: %2").arg(CommError::quote(path, 100), reason),
                     Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
    return false;
}
