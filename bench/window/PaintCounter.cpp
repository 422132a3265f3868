#include "PaintCounter.h"

#include <algorithm>

#include <QEvent>
#include <QWidget>

PaintCounter::PaintCounter(QWidget* watched) : QObject(watched) {
    m_clock.start();
    watched->installEventFilter(this);
}

bool PaintCounter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint) {
        const qint64 now = m_clock.elapsed();
        m_longestGapMs = std::max(m_longestGapMs, now - m_lastPaintMs);
        m_lastPaintMs = now;
        ++m_paints;
    }
    return QObject::eventFilter(watched, event);
}
