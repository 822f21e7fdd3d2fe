#pragma once
// The 3D view of the 3D view dialog: a VTK widget with a PCL visualizer on its
// own renderer and render window, an axes marker in the top-right corner, and
// the camera recorded after the last drawing, to which a reset returns.
// Include this header only where the widget itself is needed: it brings in
// VTK's Qt widget.
#include <QVTKOpenGLNativeWidget.h>
#include <vtkSmartPointer.h>

#include <array>
#include <memory>

class vtkGenericOpenGLRenderWindow;
class vtkOrientationMarkerWidget;
class vtkRenderer;
namespace pcl::visualization {
class PCLVisualizer;
}
namespace kx::common {
class kxCloud;
}

// Where a camera stands and looks, and which way is up.
struct CameraPose {
    std::array<double, 3> position{};
    std::array<double, 3> focalPoint{};
    std::array<double, 3> viewUp{};
};

class CloudView : public QVTKOpenGLNativeWidget {
    Q_OBJECT

public:
    explicit CloudView(QWidget* parent = nullptr);
    ~CloudView() override;

    // Draw the cloud as coloured points or as a coloured mesh, thinned by
    // xyScale; with resetCamera the camera frames the data first. The camera
    // is recorded afterwards.
    void showPointCloud(const kx::common::kxCloud& cloud, float xyScale, bool resetCamera);
    void showMesh(const kx::common::kxCloud& cloud, float xyScale, bool resetCamera);
    // Back to the camera recorded after the last drawing.
    void resetCamera();
    // The x/y/z axes in the top-right corner of the view.
    void addAxesMarker();

    const std::shared_ptr<pcl::visualization::PCLVisualizer>& viewer() const { return viewer_; }
    vtkRenderer* renderer() const;
    CameraPose recordedCamera() const { return recorded_; }
    CameraPose currentCamera() const;
    vtkOrientationMarkerWidget* axesMarker() const;

private:
    void finishDrawing(bool resetCamera);

    vtkSmartPointer<vtkRenderer> renderer_;
    vtkSmartPointer<vtkGenericOpenGLRenderWindow> window_;
    vtkSmartPointer<vtkOrientationMarkerWidget> marker_;
    std::shared_ptr<pcl::visualization::PCLVisualizer> viewer_;
    CameraPose recorded_;
};

// VTK's OpenGL surface format as the default of every Qt OpenGL surface.
// Call it before the QApplication is made.
void useVtkSurfaceFormat();
