#include "views/height/view3d/cloud_render.h"

#include <chrono>
#include <iostream>

#include <pcl/visualization/pcl_visualizer.h>
#include <pcl/visualization/point_cloud_color_handlers.h>

#include "views/height/denoise_params.h"
#include "views/height/view3d/adaptive_mesh_builder.h"
#include "views/height/view3d/view_points.h"

using kx::common::kxCloud;
using pcl::visualization::PCLVisualizer;

namespace {

void clearViewer(PCLVisualizer& viewer) {
    viewer.removePointCloud(kPolygonId);
    viewer.removeAllPointClouds();  // meshes are kept among the clouds too
    viewer.setBackgroundColor(0.0, 0.0, 0.0);
}

}  // namespace

void renderPointCloud(const kxCloud& cloud, const std::shared_ptr<PCLVisualizer>& viewer, float xyScale) {
    clearViewer(*viewer);
    const pcl::PointCloud<pcl::PointXYZ>::Ptr points = buildViewPoints(cloud, xyScale);
    pcl::visualization::PointCloudColorHandlerGenericField<pcl::PointXYZ> byHeight(points, "z");
    viewer->addPointCloud<pcl::PointXYZ>(points, byHeight, kMainCloudId);
    // No points have no range to spread the table over (VTK complains).
    if (points->empty()) return;
    viewer->setPointCloudRenderingProperties(pcl::visualization::PCL_VISUALIZER_LUT,
                                             pcl::visualization::PCL_VISUALIZER_LUT_JET_INVERSE, kMainCloudId);
    viewer->setPointCloudRenderingProperties(pcl::visualization::PCL_VISUALIZER_LUT_RANGE,
                                             pcl::visualization::PCL_VISUALIZER_LUT_RANGE_AUTO, kMainCloudId);
}

void renderMesh(const kxCloud& cloud, const std::shared_ptr<PCLVisualizer>& viewer, float xyScale) {
    clearViewer(*viewer);
    const auto start = std::chrono::steady_clock::now();
    AdaptiveMeshBuilder builder(refinementRate);
    pcl::PolygonMesh mesh;
    if (!builder.build(cloud, xyScale, mesh)) return;
    std::cout << "size:" << mesh.polygons.size() << std::endl;
    viewer->addPolygonMesh(mesh, kMeshId);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::cout << "Time use: " << took.count() << "s " << std::endl;
}
