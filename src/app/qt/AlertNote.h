#pragma once
// An unseen part of the window with the alert role, through which screen
// readers are told what cannot wait (the alarm rings), hidden window or not.

#include <QWidget>

class AlertNote : public QWidget {
    Q_OBJECT

  public:
    explicit AlertNote(QWidget* parent);
    // Tells assistive technology `text` as an alert: Qt's Alert event, and the
    // alert shown anew, which is what AT-SPI carries to a screen reader.
    void tell(const QString& text);
    // The alert is over (the alarm was switched off): no longer showing.
    void withdraw();
    bool told() const { return m_told; }

  private:
    bool m_told = false;
};

// Lets Qt's accessibility find the interface of AlertNote.
void installAlertNote();
