#include "platform/camera/CameraModes.h"
#include "platform/camera/V4l2CameraOffers.h"

#include <gtest/gtest.h>

using namespace tavero;

namespace {

CameraRates listed(std::initializer_list<double> perSecond) {
    CameraRates rates;
    for (const double rate : perSecond)
        rates.listed.append(rate == 7.5 ? CameraRate{15, 2} : CameraRate{unsigned(rate), 1});
    return rates;
}

CameraSizeOffer at(int width, int height, CameraRates rates) {
    return CameraSizeOffer::single(QSize(width, height), std::move(rates));
}

CameraMode mode(CameraCoding coding, int width, int height, std::optional<CameraRate> rate) {
    return {coding, QSize(width, height), rate};
}

constexpr CameraRate thirty{30, 1};

// A USB 2 webcam of the usual kind: raw full HD crawls, MJPEG keeps up.
const CameraOffers usb2Webcam{
    {CameraCoding::yuyv,
     {at(640, 480, listed({30, 15})), at(1280, 720, listed({10, 5})), at(1920, 1080, listed({5}))}},
    {CameraCoding::mjpeg,
     {at(640, 480, listed({30, 15})), at(1280, 720, listed({30, 15})), at(1920, 1080, listed({30, 15}))}},
};

}  // namespace

TEST(CameraModesTest, AWebcamWhoseRawFullHdCrawlsIsOpenedInMjpegAtThirty) {
    EXPECT_EQ(chooseCameraMode(usb2Webcam), mode(CameraCoding::mjpeg, 1920, 1080, thirty));

    const CameraOffers rawOnly{{CameraCoding::yuyv, {at(640, 480, listed({30})), at(1280, 720, listed({30}))}}};
    EXPECT_EQ(chooseCameraMode(rawOnly), mode(CameraCoding::yuyv, 1280, 720, thirty));

    CameraOffers bothFast = usb2Webcam;
    bothFast[0].sizes[2] = at(1920, 1080, listed({30}));
    EXPECT_EQ(chooseCameraMode(bothFast), mode(CameraCoding::yuyv, 1920, 1080, thirty))
        << "raw pictures cost no decoding when they come as fast";
}

TEST(CameraModesTest, OddSizesAndRatesGiveTheLargestWithinFullHdThatKeepsUp) {
    // 4:3 sizes only, the largest beyond full HD's height, 60 a second on offer.
    const CameraOffers odd{
        {CameraCoding::mjpeg,
         {at(2592, 1944, listed({15})), at(1600, 1200, listed({30})), at(1280, 960, listed({60, 30, 15})),
          at(800, 600, listed({60, 30}))}},
        {CameraCoding::yuyv, {at(1280, 960, listed({7.5})), at(352, 288, listed({30}))}},
    };
    EXPECT_EQ(chooseCameraMode(odd), mode(CameraCoding::mjpeg, 1280, 960, thirty)) << "30 rather than 60";

    const CameraOffers ntsc{{CameraCoding::uyvy, {at(1280, 720, {{CameraRate{30000, 1001}}, {}})}},
                            {CameraCoding::mjpeg, {at(640, 360, listed({30}))}}};
    EXPECT_EQ(chooseCameraMode(ntsc), mode(CameraCoding::uyvy, 1280, 720, CameraRate{30000, 1001}))
        << "29.97 keeps up";

    const CameraOffers onlyFast{{CameraCoding::yuyv, {at(640, 480, listed({60, 120}))}}};
    EXPECT_EQ(chooseCameraMode(onlyFast), mode(CameraCoding::yuyv, 640, 480, CameraRate{60, 1}));

    const CameraOffers slow{{CameraCoding::yuyv,
                             {at(1920, 1080, listed({5})), at(1280, 720, listed({10})), at(960, 540, listed({10})),
                              at(640, 480, listed({7.5}))}}};
    EXPECT_EQ(chooseCameraMode(slow), mode(CameraCoding::yuyv, 1280, 720, CameraRate{10, 1}))
        << "none keeps up: the fastest, the largest of those";

    const CameraOffers large{
        {CameraCoding::mjpeg,
         {at(3840, 2160, listed({30})), at(2560, 1440, listed({30})), at(2048, 1536, listed({15}))}}};
    EXPECT_EQ(chooseCameraMode(large), mode(CameraCoding::mjpeg, 2560, 1440, thirty))
        << "nothing within full HD: the smallest that keeps up";

    const CameraOffers silent{{CameraCoding::yuyv, {at(640, 480, {}), at(1280, 720, {})}}};
    EXPECT_EQ(chooseCameraMode(silent), mode(CameraCoding::yuyv, 1280, 720, std::nullopt))
        << "a driver that names no rates";
    EXPECT_EQ(chooseCameraMode({}), std::nullopt);
    EXPECT_EQ(chooseCameraMode({{CameraCoding::mjpeg, {}}}), std::nullopt);
}

TEST(CameraModesTest, RangesOfSizesAndRatesGiveFullHdAtThirtyOnTheirSteps) {
    const CameraSizeOffer stepwise{QSize(640, 480), QSize(2592, 1944), QSize(16, 8), {}};
    EXPECT_EQ(consideredSize(stepwise), QSize(1920, 1080));
    const CameraSizeOffer coarse{QSize(640, 480), QSize(2592, 1944), QSize(100, 100), {}};
    EXPECT_EQ(consideredSize(coarse), QSize(1840, 1080));
    const CameraSizeOffer small{QSize(160, 120), QSize(1280, 720), QSize(1, 1), {}};
    EXPECT_EQ(consideredSize(small), QSize(1280, 720));
    const CameraSizeOffer tall{QSize(640, 1200), QSize(1280, 1600), QSize(2, 2), {}};
    EXPECT_EQ(consideredSize(tall), QSize(1280, 1200)) << "a side beyond full HD everywhere takes its smallest";

    // A capture chip: any size, rates from 1 to 60 a second.
    CameraSizeOffer continuous{QSize(1, 1), QSize(4096, 2160), QSize(1, 1), {}};
    continuous.rates.range = CameraRateRange{CameraRate{1, 1}, CameraRate{60, 1}};
    EXPECT_EQ(chooseCameraMode({{CameraCoding::nv12, {continuous}}}), mode(CameraCoding::nv12, 1920, 1080, thirty));

    CameraSizeOffer slowRange = stepwise;
    slowRange.rates.range = CameraRateRange{CameraRate{1, 1}, CameraRate{15, 1}};
    const CameraOffers mixed{{CameraCoding::i420, {slowRange}}, {CameraCoding::mjpeg, {at(1280, 720, listed({30}))}}};
    EXPECT_EQ(chooseCameraMode(mixed), mode(CameraCoding::mjpeg, 1280, 720, thirty))
        << "720p at 30 beats full HD at 15";
    EXPECT_EQ(chooseCameraMode({{CameraCoding::i420, {slowRange}}}),
              mode(CameraCoding::i420, 1920, 1080, CameraRate{15, 1}));

    CameraSizeOffer onlyFaster = stepwise;
    onlyFaster.rates.range = CameraRateRange{CameraRate{50, 1}, CameraRate{120, 1}};
    EXPECT_EQ(chooseCameraMode({{CameraCoding::yuyv, {onlyFaster}}}),
              mode(CameraCoding::yuyv, 1920, 1080, CameraRate{50, 1}));
}

TEST(CameraModesTest, ANodeThatIsNoCameraOffersNothing) {
    EXPECT_TRUE(readCameraOffers(QStringLiteral("/dev/null")).isEmpty());
    EXPECT_TRUE(readCameraOffers(QStringLiteral("/dev/no-such-camera")).isEmpty());
    EXPECT_TRUE(readCameraOffers(QStringLiteral("/")).isEmpty());
}
