#include "grid_sort_keys.h"

void SortKeys::apply(int column, std::optional<short> order)
{
    if (m_count == 0) {
        m_cols[0] = column;
        m_orders[0] = order.value_or(1);
        m_count = 1;
        return;
    }
    if (m_cols[0] == column) {
        if (order)
            m_orders[0] = *order;
        else
            m_orders[0] = m_orders[0] == 1 ? 2 : 1;
        return;
    }
    for (int i = 1; i < m_count; ++i) {
        if (m_cols[i] == column) {
            for (int j = i; j + 1 < m_count; ++j) {
                m_cols[j] = m_cols[j + 1];
                m_orders[j] = m_orders[j + 1];
            }
            --m_count;
            break;
        }
    }
    for (int j = 2; j > 0; --j) {
        m_cols[j] = m_cols[j - 1];
        m_orders[j] = m_orders[j - 1];
    }
    m_count = m_count < 3 ? m_count + 1 : 3;
    m_cols[0] = column;
    m_orders[0] = order.value_or(1);
}

std::vector<std::pair<int, short>> SortKeys::keys() const
{
    std::vector<std::pair<int, short>> out;
    for (int i = 0; i < m_count; ++i)
        out.emplace_back(m_cols[i], m_orders[i]);
    return out;
}
