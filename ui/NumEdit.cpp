#include "NumEdit.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionSpinBox>

#include <algorithm>
#include <optional>

namespace {

// The widest text a value can have: a sign and ten digits.
constexpr int MaxDigits = 10;

std::optional<qint64> parseWhole(const QString& text)
{
    static const QRegularExpression whole(QStringLiteral("^-?\\d{1,%1}$").arg(MaxDigits));
    if (!whole.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

} // namespace

NumEdit::NumEdit(QWidget* parent) : QAbstractSpinBox(parent)
{
    setInputMethodHints(Qt::ImhFormattedNumbersOnly);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    connect(lineEdit(), &QLineEdit::textEdited, this, &NumEdit::takeTypedValue);
    connect(this, &QAbstractSpinBox::editingFinished, this, &NumEdit::commitText);
    showValue();
}

void NumEdit::setRange(qint64 minimum, qint64 maximum)
{
    m_minimum = std::clamp(minimum, Lowest, Highest);
    m_maximum = std::clamp(maximum, m_minimum, Highest);
    updateGeometry();
    setValue(m_value);
}

void NumEdit::setValue(qint64 value)
{
    const qint64 bounded = std::clamp(value, m_minimum, m_maximum);
    const bool changed = bounded != m_value;
    m_value = bounded;
    showValue();
    if (changed)
        emit valueChanged(m_value);
}

void NumEdit::stepBy(int steps)
{
    commitText();
    setValue(m_value + steps);
    selectAll();
}

QAbstractSpinBox::StepEnabled NumEdit::stepEnabled() const
{
    if (isReadOnly())
        return StepNone;
    StepEnabled enabled = StepNone;
    if (m_value < m_maximum)
        enabled |= StepUpEnabled;
    if (m_value > m_minimum)
        enabled |= StepDownEnabled;
    return enabled;
}

QValidator::State NumEdit::validate(QString& input, int& pos) const
{
    Q_UNUSED(pos);
    if (input.isEmpty())
        return QValidator::Intermediate;
    if (input == QLatin1String("-"))
        return m_minimum < 0 ? QValidator::Intermediate : QValidator::Invalid;
    const auto value = parseWhole(input);
    if (!value)
        return QValidator::Invalid;
    if (*value >= m_minimum && *value <= m_maximum)
        return QValidator::Acceptable;
    // More digits only move a number further from zero: a value beyond the bound on its own side
    // of zero can never become valid, one on the near side may still grow into the range.
    const bool negative = input.startsWith(QLatin1Char('-'));
    if (!negative && *value > m_maximum)
        return QValidator::Invalid;
    if (negative && *value < m_minimum)
        return QValidator::Invalid;
    return QValidator::Intermediate;
}

void NumEdit::fixup(QString& input) const
{
    const auto value = parseWhole(input);
    input = QString::number(value ? std::clamp(*value, m_minimum, m_maximum) : m_value);
}

void NumEdit::takeTypedValue(const QString& text)
{
    QString copy = text;
    int pos = 0;
    if (validate(copy, pos) != QValidator::Acceptable)
        return;
    const qint64 typed = *parseWhole(copy);
    if (typed != m_value) {
        m_value = typed;
        emit valueChanged(m_value);
    }
}

void NumEdit::commitText()
{
    QString text = lineEdit()->text();
    fixup(text);
    setValue(*parseWhole(text));
}

void NumEdit::showValue()
{
    const QString text = QString::number(m_value);
    if (lineEdit()->text() != text)
        lineEdit()->setText(text);
}

QSize NumEdit::hintFor(QSize lineEditHint) const
{
    ensurePolished();
    const QFontMetrics metrics = fontMetrics();
    const int textWidth = std::max(metrics.horizontalAdvance(QString::number(m_minimum)),
                                   metrics.horizontalAdvance(QString::number(m_maximum)));
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    // Room for the caret and the frame of the line edit.
    const QSize content(std::max(textWidth + 8, metrics.horizontalAdvance(QLatin1Char('0')) * 3),
                        lineEditHint.height());
    return style()->sizeFromContents(QStyle::CT_SpinBox, &option, content, this);
}

QSize NumEdit::sizeHint() const
{
    return hintFor(lineEdit()->sizeHint());
}

QSize NumEdit::minimumSizeHint() const
{
    return hintFor(lineEdit()->minimumSizeHint());
}
