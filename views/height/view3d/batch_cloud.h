#pragma once
// The current batch of the sensor client as the cloud the 3D view draws.
// No GL, no PCL.
#include "views/height/cloud/kx_common.h"
#include "views/height/denoise_params.h"

class LinelaserClient;

// How the 3D view draws a batch (the accepted 3D options).
struct View3dParams {
    float xyScale = 0.5f;
    bool pointCloud = false;  // false: mesh
    DenoiseParams denoise;
    int zMultiplier = 1;
};

// The batch's P profiles of N points (the model's profile points), each row
// cut or padded to N with the null height, copied under the client's batch
// lock; cleaned with HeightMapDenoise when the options say so; every height
// (null heights too) multiplied by zMultiplier. The cloud's range is the
// client's fixed display range times zMultiplier, its pitches the client's x
// pitch and the distance between profiles. false (cloud untouched) when the
// batch holds no profile.
bool cloudFromBatch(LinelaserClient& client, const View3dParams& params, kx::common::kxCloud& cloud);
