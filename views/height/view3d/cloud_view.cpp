#include "views/height/view3d/cloud_view.h"

#include <QSurfaceFormat>

#include <pcl/visualization/pcl_visualizer.h>
#include <vtkAxesActor.h>
#include <vtkCamera.h>
#include <vtkCaptionActor2D.h>
#include <vtkGenericOpenGLRenderWindow.h>
#include <vtkOrientationMarkerWidget.h>
#include <vtkProperty.h>
#include <vtkRenderer.h>
#include <vtkRendererCollection.h>

#include "views/height/view3d/cloud_render.h"

namespace {

constexpr double kBackgroundGrey = 150.0 / 255.0;

CameraPose poseOf(vtkCamera* camera) {
    CameraPose pose;
    camera->GetPosition(pose.position.data());
    camera->GetFocalPoint(pose.focalPoint.data());
    camera->GetViewUp(pose.viewUp.data());
    return pose;
}

}  // namespace

void useVtkSurfaceFormat() { QSurfaceFormat::setDefaultFormat(QVTKOpenGLNativeWidget::defaultFormat()); }

CloudView::CloudView(QWidget* parent)
    : QVTKOpenGLNativeWidget(parent),
      renderer_(vtkSmartPointer<vtkRenderer>::New()),
      window_(vtkSmartPointer<vtkGenericOpenGLRenderWindow>::New()) {
    window_->AddRenderer(renderer_);
    viewer_ = std::make_shared<pcl::visualization::PCLVisualizer>(renderer_, window_, "viewer", false);
    setRenderWindow(viewer_->getRenderWindow());
    viewer_->setupInteractor(interactor(), renderWindow());
    viewer_->setBackgroundColor(kBackgroundGrey, kBackgroundGrey, kBackgroundGrey);
    // PCL shows a frame-rate text in the corner by default: the view has no use for it.
    viewer_->setShowFPS(false);
}

CloudView::~CloudView() {
    // The marker observes the interactor: switch it off while both still live.
    if (marker_) marker_->SetEnabled(0);
}

vtkRenderer* CloudView::renderer() const { return renderer_; }

vtkOrientationMarkerWidget* CloudView::axesMarker() const { return marker_; }

CameraPose CloudView::currentCamera() const { return poseOf(renderer_->GetActiveCamera()); }

void CloudView::addAxesMarker() {
    auto axes = vtkSmartPointer<vtkAxesActor>::New();
    axes->SetPosition(0.0, 0.0, 0.0);
    axes->SetTotalLength(2.0, 2.0, 2.0);
    axes->SetShaftTypeToCylinder();
    axes->SetCylinderRadius(0.03);
    axes->SetTipTypeToCone();
    axes->SetXAxisLabelText("x");
    axes->SetYAxisLabelText("-y");
    axes->GetXAxisShaftProperty()->SetColor(1.0, 1.0, 1.0);
    axes->GetYAxisTipProperty()->SetColor(1.0, 1.0, 1.0);
    marker_ = vtkSmartPointer<vtkOrientationMarkerWidget>::New();
    marker_->SetOutlineColor(1.0, 0.0, 0.0);
    marker_->SetOrientationMarker(axes);
    marker_->SetInteractor(interactor());
    marker_->SetViewport(0.8, 0.8, 1.0, 1.0);
    marker_->SetEnabled(1);
    marker_->InteractiveOff();
}

void CloudView::showPointCloud(const kx::common::kxCloud& cloud, float xyScale, bool resetCamera) {
    renderPointCloud(cloud, viewer_, xyScale);
    finishDrawing(resetCamera);
}

void CloudView::showMesh(const kx::common::kxCloud& cloud, float xyScale, bool resetCamera) {
    renderMesh(cloud, viewer_, xyScale);
    finishDrawing(resetCamera);
}

void CloudView::finishDrawing(bool resetCamera) {
    if (resetCamera) viewer_->resetCamera();
    renderWindow()->Render();
    recorded_ = poseOf(renderer_->GetActiveCamera());
    if (!resetCamera) update();
}

void CloudView::resetCamera() {
    if (!renderer_->IsActiveCameraCreated()) return;
    vtkCamera* camera = renderer_->GetActiveCamera();
    camera->SetPosition(recorded_.position.data());
    camera->SetFocalPoint(recorded_.focalPoint.data());
    camera->SetViewUp(recorded_.viewUp.data());
    renderer_->ResetCameraClippingRange();
    renderWindow()->Render();
}
