#pragma once
// The A/B cursor pair of the height chart and the record it reports its
// cursors in. The profile views fill the same record for their read-out.
#include <QMetaType>

#include <cstdint>

class qcustomplot_alline {
public:
    // Passed by value through signals and slots.
    struct ABStruct {
        int32_t mode = 0;         // 1: A and B are x positions (the height chart); 0 otherwise
        double A = 0.0;           // cursor A
        double B = 0.0;           // cursor B
        double zA = 0.0;          // second coordinate of A (the height found under it)
        double zB = 0.0;          // second coordinate of B
        bool horizontal = false;  // the cursors are horizontal: A and B are heights
        bool visible = false;     // the cursors are shown
        bool linked = false;      // the cursors move together
        uint8_t dragState = 0;    // 0 none, 1 cursor A held, 2 cursor B held
    };
};

Q_DECLARE_METATYPE(qcustomplot_alline::ABStruct)
