#pragma once
// The points the 3D view draws of a height-map cloud. PCL common only; no GL.
#include <pcl/point_cloud.h>
#include <pcl/point_types.h>

#include "views/height/cloud/kx_common.h"

// Scales at or below this use the cloud at full size.
constexpr float kSmallestXyScale = 1.1920929e-7f;

// The cloud thinned by xyScale (resampleCloud with fx = fy = xyScale, or the
// cloud itself at a scale of about 0), then every cell (r, c) in row order
// whose height h is not the invalid value and lies in (zMin, zMax] as the
// point (c x xPitch, -(r x yPitch), h), with the thinned cloud's pitches.
pcl::PointCloud<pcl::PointXYZ>::Ptr buildViewPoints(const kx::common::kxCloud& cloud, float xyScale);

// The cloud at the size the 3D view draws it (see buildViewPoints); false
// when it has no heights.
bool thinnedCloud(const kx::common::kxCloud& cloud, float xyScale, kx::common::kxCloud& out);
