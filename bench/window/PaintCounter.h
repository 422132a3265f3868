#pragma once

#include <QObject>

class QWidget;

// Counts the paint events that one widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* watched);

    int paints() const { return m_paints; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int m_paints = 0;
};
