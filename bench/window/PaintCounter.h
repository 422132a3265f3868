#pragma once

#include <QElapsedTimer>
#include <QObject>

class QWidget;

// Counts the paint events that one widget receives from its construction on, and the longest
// time that passed without one.
class PaintCounter : public QObject {
  public:
    explicit PaintCounter(QWidget* watched);

    int paints() const { return m_paints; }
    qint64 longestGapMs() const { return m_longestGapMs; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QElapsedTimer m_clock;
    qint64 m_lastPaintMs = 0;
    qint64 m_longestGapMs = 0;
    int m_paints = 0;
};
