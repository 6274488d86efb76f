#include "config/modes.h"

namespace {
constexpr quint32 bit(ModeFeature f)
{
    return quint32(1) << int(f);
}

// Firmware of any version can be written to in every service mode.
constexpr quint32 Service = bit(ModeFeature::AnyFirmwareVersion);

quint32 features(OperatingMode mode)
{
    switch (mode) {
    case OperatingMode::DefaultsOnly:
    case OperatingMode::User:
        return 0;
    case OperatingMode::ServiceFirmware:
        return Service | bit(ModeFeature::FirmwareLoad);
    case OperatingMode::ServiceFactory:
        return Service | bit(ModeFeature::FactoryInfo) | bit(ModeFeature::WriteInfoArea);
    case OperatingMode::ServiceModem:
        return Service | bit(ModeFeature::ModemBlocks) | bit(ModeFeature::ModemControls);
    case OperatingMode::ServiceTrace:
        return Service | bit(ModeFeature::TraceView);
    case OperatingMode::ServiceVocoder:
        return Service | bit(ModeFeature::VocoderControls);
    case OperatingMode::ServiceAll:
        return features(OperatingMode::ServiceFirmware) | features(OperatingMode::ServiceFactory)
            | features(OperatingMode::ServiceModem) | features(OperatingMode::ServiceTrace)
            | features(OperatingMode::ServiceVocoder) | bit(ModeFeature::ExtraChannels)
            | bit(ModeFeature::ReceiverControls) | bit(ModeFeature::LiveCommandLog);
    }
    return 0;
}
} // namespace

bool modeAllows(OperatingMode mode, ModeFeature feature)
{
    return feature == ModeFeature::None || (features(mode) & bit(feature)) != 0;
}
