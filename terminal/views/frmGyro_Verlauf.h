#pragma once

#include "terminal/views/DisplayFrame.h"
#include "terminal/GyroSeries.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class Clock;
class Dialogs;
class GyroPlot;
class QComboBox;
class QIODevice;
class QLabel;
class QPushButton;

// "Gyro-Verlauf": the gyro test's readings of the last 10, 30 or 60 seconds as a
// plot, with the figures of the selected gyro (the one of the newest reading shown)
// as text beside it. "Anhalten" holds the picture while readings go on being
// recorded; the picture goes to a PNG file and the readings to a CSV file.
//
// The picture follows the terminal view's display frame (displayFrame()), so both
// are drawn in the same wake-up and never more often. While readings arrive, the
// right edge is now and the traces glide left between them; a couple of seconds
// after the last one the picture comes to rest and costs nothing more. Hidden,
// minimised or held, it is not drawn at all.
class frmGyro_Verlauf : public QWidget
{
    Q_OBJECT

public:
    frmGyro_Verlauf(const GyroSeries &series, const Clock &clock, Dialogs &dialogs, QWidget *parent = nullptr);

    // The spans offered, in seconds, and the one shown first.
    static constexpr std::array<int, 3> Spans{10, 30, 60};
    static constexpr int DefaultSpan = 30;
    // How long the picture keeps gliding after the newest reading.
    static constexpr qint64 GlideMs = 2000;
    // Figures change at most this often (ms): often enough to follow, seldom enough
    // to read, and each change costs a layout and a repaint of the labels.
    static constexpr int FiguresMs = 250;
    // A frame of the window's own when the view has none to give (a slow test, or
    // the glide after it): later than the view's next frame, so that the two never
    // wake the program apart while text streams.
    static constexpr int OwnFrameMs = DisplayFrame::Ms * 2;

public slots:
    void displayFrame();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    bool drawn() const;
    qint64 rightEdge() const;
    qint64 spanMs() const;
    // A new picture; the figures with it when figures is true or they are due.
    void draw(bool figures = true);
    void showFigures(qint64 right, qint64 span, std::optional<GyroSeries::Gyro> selected);
    void cmdAnhalten_Click();
    void cmdBildSpeichern_Click();
    void cmdDatenSpeichern_Click();
    bool save(const QString &title, const QString &suggestion, const std::function<bool(QIODevice &)> &write);

    const GyroSeries &m_series;
    const Clock &m_clock;
    Dialogs &m_dialogs;

    GyroPlot *picVerlauf = nullptr;
    QLabel *lblGyro = nullptr;
    QLabel *lblAktuell = nullptr;
    QLabel *lblMinimum = nullptr;
    QLabel *lblMaximum = nullptr;
    QLabel *lblMittelwert = nullptr;
    QLabel *lblStandardabweichung = nullptr;
    QLabel *lblSpanne = nullptr;
    QLabel *lblMesswerte = nullptr;
    QLabel *lblLuecken = nullptr;
    QComboBox *cboZeitraum = nullptr;
    QPushButton *cmdAnhalten = nullptr;
    QPushButton *cmdBildSpeichern = nullptr;
    QPushButton *cmdDatenSpeichern = nullptr;

    QTimer m_frame;               // the next frame when the view has none to give
    QElapsedTimer m_sinceDrawn;
    QElapsedTimer m_sinceFigures;
    bool m_figuresDue = false;
    bool m_held = false;
    qint64 m_heldAt = 0;
    quint64 m_drawnRecorded = ~quint64(0);
    qint64 m_drawnRight = -1;
};
