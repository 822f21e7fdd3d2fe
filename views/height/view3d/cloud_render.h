#pragma once
// Drawing a height-map cloud into a PCL visualizer: the thin layer that hands
// the points and meshes built elsewhere to PCL. Only PCL's visualizer is
// forward-declared here.
#include <memory>

#include "views/height/cloud/kx_common.h"

namespace pcl::visualization {
class PCLVisualizer;
}

// Ids of what the 3D view adds to its visualizer.
inline constexpr const char* kMainCloudId = "main cloud";
inline constexpr const char* kMeshId = "mesh";
inline constexpr const char* kPolygonId = "polygon";

// Clears the visualizer (black background) and adds the cloud's view points
// (buildViewPoints) as "main cloud", coloured by z through the inverse jet
// look-up table over the points' own z range.
void renderPointCloud(const kx::common::kxCloud& cloud, const std::shared_ptr<pcl::visualization::PCLVisualizer>& viewer,
                      float xyScale);

// Clears the visualizer (black background) and adds the cloud's adaptive mesh
// (built with the process-wide refinementRate) as "mesh"; prints the number
// of triangles ("size:") and the time the building took ("Time use: ...s ").
void renderMesh(const kx::common::kxCloud& cloud, const std::shared_ptr<pcl::visualization::PCLVisualizer>& viewer,
                float xyScale);
