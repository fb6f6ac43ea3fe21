#include "app/RowLayout.h"

std::vector<int> RowLeftEdges(int firstWidth, int clientWidth, int count) {
    std::vector<int> edges;
    if (count <= 0) return edges;
    int left = clientWidth / 2 - (count * firstWidth + (count - 1) * kRowButtonGap) / 2;
    for (int i = 0; i < count; ++i) {
        edges.push_back(left);
        left += firstWidth + kRowButtonGap;
    }
    return edges;
}
