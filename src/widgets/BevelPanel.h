#pragma once

#include <QColor>
#include <QFrame>
#include <QString>

// A panel in the classic two-bevel look: an outer and an inner 1 px bevel, each raised,
// lowered or absent, with an optional caption centred in it. Some panels of the window
// serve as buttons, so a left click inside reports clicked().
class BevelPanel : public QFrame {
    Q_OBJECT
public:
    enum class Bevel { None, Raised, Lowered };

    BevelPanel(Bevel outer, Bevel inner, QWidget* parent);

    QString caption() const { return m_caption; }
    void setCaption(const QString& caption);

    // A named panel at its place in the parent, filled with colour when one is given.
    static BevelPanel* create(QWidget* parent, const char* name, const QRect& geometry, Bevel outer, Bevel inner,
                              const QColor& colour = QColor());

    // The area inside the bevels, where children that fill the panel go.
    QRect clientRect() const;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Bevel m_outer;
    Bevel m_inner;
    QString m_caption;
};
