#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <utility>

// The bits of a byte string, most significant first, as the headers of
// pictures and parameter sets store their fields. Reading past the end gives
// zero bits and sets `overrun`; the caller then trusts nothing it read.
class BitReader {
public:
    explicit BitReader(QByteArray bytes) : m_data(std::move(bytes)) {}

    // The next `count` bits (at most 32) as a number.
    quint32 bits(int count)
    {
        quint32 value = 0;
        for (int i = 0; i < count; ++i)
            value = value << 1 | bit();
        return value;
    }
    bool flag() { return bit() != 0; }
    // ue(v): Exp-Golomb, at most 31 leading zeros.
    quint32 ue()
    {
        int zeros = 0;
        while (bit() == 0) {
            if (++zeros > 31 || m_overrun) {
                m_overrun = true;
                return 0;
            }
        }
        return zeros == 0 ? 0 : (quint32(1) << zeros) - 1 + bits(zeros);
    }
    // se(v).
    qint64 se()
    {
        const quint32 code = ue();
        return code % 2 == 1 ? qint64(code / 2) + 1 : -qint64(code / 2);
    }
    bool overrun() const { return m_overrun; }

private:
    quint32 bit()
    {
        if (m_at >= qint64(m_data.size()) * 8) {
            m_overrun = true;
            return 0;
        }
        const quint32 value = (quint8(m_data.at(m_at / 8)) >> (7 - m_at % 8)) & 1;
        ++m_at;
        return value;
    }

    QByteArray m_data;
    qint64 m_at = 0;
    bool m_overrun = false;
};
