// The numeric field of the command assistant: a spin box for whole numbers whose bounds may lie
// anywhere from -2147483648 to 4294967295, which is why it keeps its value in 64 bits.
#pragma once

#include <QAbstractSpinBox>

class NumEdit : public QAbstractSpinBox
{
    Q_OBJECT
public:
    static constexpr qint64 Lowest = -2147483648LL;
    static constexpr qint64 Highest = 4294967295LL;

    explicit NumEdit(QWidget* parent = nullptr);

    qint64 value() const { return m_value; }
    qint64 minimum() const { return m_minimum; }
    qint64 maximum() const { return m_maximum; }

    // Bounds are kept within Lowest..Highest; a maximum below the minimum becomes the minimum.
    // The value is brought into the new bounds.
    void setRange(qint64 minimum, qint64 maximum);
    // A value outside the bounds is brought to the nearer bound.
    void setValue(qint64 value);

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void valueChanged(qint64 value);

protected:
    StepEnabled stepEnabled() const override;

private:
    // Takes the typed text as the value; text that is no complete number within the bounds is
    // corrected, or replaced by the current value.
    void commitText();
    void takeTypedValue(const QString& text);
    void showValue();
    QSize hintFor(QSize lineEditHint) const;

    qint64 m_minimum = 0;
    qint64 m_maximum = 99;
    qint64 m_value = 0;
};
