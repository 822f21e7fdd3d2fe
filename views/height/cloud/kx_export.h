#pragma once
// Marks the names that libmirevo_cloud.so shows to other programs; everything
// else in the image and cloud library is built with hidden visibility.
#define KX_COMMON_API __attribute__((visibility("default")))
