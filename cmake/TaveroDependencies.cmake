# Every third-party library the project links, found once.

find_package(Qt6 6.4 REQUIRED COMPONENTS Core Gui Widgets Network Test DBus Multimedia)
find_package(nlohmann_json 3.10 REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(HEIF REQUIRED IMPORTED_TARGET libheif)
# PNG files are compressed by our own encoder.
find_package(ZLIB REQUIRED)
pkg_check_modules(XCB REQUIRED IMPORTED_TARGET xcb xcb-randr xcb-shm xcb-xfixes xcb-composite xcb-damage xcb-shape xcb-keysyms xcb-xtest)
pkg_check_modules(TESSERACT REQUIRED IMPORTED_TARGET tesseract lept)
# FFmpeg 5.1 as Debian 12 ships it.
pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET
  libavformat>=59 libavcodec>=59 libavfilter>=8 libswresample>=4 libswscale>=6 libavutil>=57 libavdevice>=59)
# libyuv converts between BGRA and YUV; Debian ships it without a pkg-config file.
find_path(LIBYUV_INCLUDE_DIR libyuv.h REQUIRED)
find_library(LIBYUV_LIBRARY yuv REQUIRED)
add_library(tavero_libyuv INTERFACE)
target_include_directories(tavero_libyuv SYSTEM INTERFACE ${LIBYUV_INCLUDE_DIR})
target_link_libraries(tavero_libyuv INTERFACE ${LIBYUV_LIBRARY})
# System sound and the microphone.
pkg_check_modules(PULSE REQUIRED IMPORTED_TARGET libpulse)

# Debian ships OpenCV's CMake package only with the full libopencv-dev; we need
# core and imgproc alone, so find them directly.
find_path(OpenCV_INCLUDE_DIR opencv2/core.hpp PATH_SUFFIXES opencv4 REQUIRED)
find_library(OpenCV_CORE_LIBRARY opencv_core REQUIRED)
find_library(OpenCV_IMGPROC_LIBRARY opencv_imgproc REQUIRED)
add_library(tavero_opencv INTERFACE)
target_include_directories(tavero_opencv SYSTEM INTERFACE ${OpenCV_INCLUDE_DIR})
target_link_libraries(tavero_opencv INTERFACE ${OpenCV_IMGPROC_LIBRARY} ${OpenCV_CORE_LIBRARY})

if(TAVERO_BUILD_TESTS)
  find_package(GTest REQUIRED)
  # The PNG tests read our files back with libpng itself.
  find_package(PNG REQUIRED)
endif()
if(TAVERO_BUILD_BENCH)
  find_package(benchmark REQUIRED)
endif()
