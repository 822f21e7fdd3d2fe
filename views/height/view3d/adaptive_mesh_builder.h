#pragma once
// The coloured triangle mesh the 3D view draws of a height-map cloud: coarse
// triangles over 5 x 5 cells where the surface is smooth, triangles of single
// cells where the gradients are irregular and along the far edges. PCL common
// only; no GL.
#include <pcl/PolygonMesh.h>

#include <cstddef>

#include "views/height/cloud/kx_common.h"

class AdaptiveMeshBuilder {
public:
    // rate: how far a cell's gradient may stray from its 31 x 31 neighbourhood
    // mean before the cell is meshed finely (the 3D options' refinement rate).
    explicit AdaptiveMeshBuilder(float rate);

    // The mesh of the cloud thinned by xyScale (about 0: full size) and then
    // halved along x. Points, one per cell in row order, are coloured from
    // the height ramp over the input's [zMin, zMax]; a triangle joins cells
    // whose heights lie above the thinned cloud's zMin. false (mesh cleared)
    // when the cloud has no heights.
    bool build(const kx::common::kxCloud& cloud, float xyScale, pcl::PolygonMesh& mesh);

    // Large grids are meshed by up to this many threads (default: the
    // machine's cores, at most 8); the mesh is the same for any number.
    void setMaxThreads(int threads) { maxThreads_ = threads; }

    // Of the last build: the grid that was meshed and its triangles.
    int rows() const { return rows_; }
    int columns() const { return columns_; }
    size_t coarseTriangles() const { return coarse_; }
    size_t fineTriangles() const { return fine_; }

    static constexpr int kCoarseStep = 5;

private:
    float rate_;
    int maxThreads_ = 0;  // 0: the machine's cores
    int rows_ = 0;
    int columns_ = 0;
    size_t coarse_ = 0;
    size_t fine_ = 0;
};
