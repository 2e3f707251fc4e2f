#pragma once
// The three sort keys of the list's header sort (most recent first).
#include <optional>
#include <utility>
#include <vector>

class SortKeys {
public:
    // Header click on column c with an optional order (1 ascending, 2 descending).
    void apply(int column, std::optional<short> order = std::nullopt);
    // (column, order) pairs, slot 0 first.
    std::vector<std::pair<int, short>> keys() const;
    int count() const { return m_count; }

private:
    int m_cols[3] = {0, 0, 0};
    short m_orders[3] = {0, 0, 0};
    int m_count = 0;
};
