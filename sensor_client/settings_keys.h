#pragma once
// Groups, keys and defaults of "settings.ini" as the windows use them.
namespace settings_keys {

struct Key {
    const char* group;
    const char* key;
};
struct IntKey : Key {
    int defaultValue;
};
struct DoubleKey : Key {
    double defaultValue;
};
struct TextKey : Key {
    const char* defaultValue;
};

// Connection dialog, sensor-head switch and raw-image saver. The connection
// dialog shows "192.168.1.10" when no address is stored.
constexpr TextKey kConnectIp{{"ConnectSetDialog", "ip"}, ""};
constexpr const char* kConnectIpDialogDefault = "192.168.1.10";
constexpr TextKey kConnectPort{{"ConnectSetDialog", "port"}, "7"};

// Programs.
constexpr IntKey kSelectedProgram{{"SETTINGPATH", "select"}, 0};
constexpr TextKey kProgramList{{"SETTINGPATH", "selectList"}, ""};
constexpr const char* kDefaultProgramList =
    "SettingNo.0,SettingNo.1,SettingNo.2,SettingNo.3,SettingNo.4,SettingNo.5,SettingNo.6,SettingNo.7,"
    "SettingNo.8,SettingNo.9,SettingNo.10,SettingNo.11,SettingNo.12,SettingNo.13,SettingNo.14,SettingNo.15";

// Language: 0 Chinese, 1 English, negative: the system's.
constexpr IntKey kLanguageIndex{{"SHOWLANGUAGE", "Index"}, -1};

// Debugging switches of the advanced settings dialog.
constexpr IntKey kImgSaveEn{{"Debug", "img_save_en"}, 0};
constexpr IntKey kMaxSaveCount{{"Debug", "max_save_count"}, 100};
constexpr IntKey kDataSaveEn{{"Debug", "data_save_en"}, 0};

// Height map and 3D view.
constexpr IntKey kAutoSaveBatchData{{"HeightDisplay", "auto_save_batchdata"}, 0};
constexpr DoubleKey kHeightPrecision{{"HeightDisplay", "height_precision"}, 0.1};
constexpr DoubleKey kHeightMin{{"HeightDisplay", "height_min"}, 0.0};
constexpr DoubleKey kHeightMax{{"HeightDisplay", "height_max"}, 0.0};
constexpr DoubleKey kHeight3dMin{{"HeightDisplay", "height_3d_min"}, 0.0};
constexpr DoubleKey kHeight3dMax{{"HeightDisplay", "height_3d_max"}, 0.0};
constexpr DoubleKey kHeightViewMin{{"HeightDisplay", "height_view_min"}, 0.0};
constexpr DoubleKey kHeightViewMax{{"HeightDisplay", "height_view_max"}, 0.0};

// Program-wide switches.
constexpr IntKey kSupperSetEn{{"system", "supperSetEn"}, 0};
constexpr IntKey kSettingsOptimizedEn{{"system", "SettingsOptimizedEn"}, 0};
constexpr TextKey kHisOutCsv{{"system", "hisoutcsv"}, "heightline_mm.csv"};

// Offsets applied while SettingsOptimizedEn is 1 (read only).
constexpr IntKey kOptimizedXAverage{{"SettingsOptimized", "x_average"}, 0};
constexpr IntKey kOptimizedXMedian{{"SettingsOptimized", "x_median"}, 0};
constexpr IntKey kOptimizedYAverage{{"SettingsOptimized", "y_average"}, 0};
constexpr IntKey kOptimizedYMedian{{"SettingsOptimized", "y_median"}, 0};
constexpr IntKey kOptimizedInvalidDealTimes{{"SettingsOptimized", "invalid_points_deal_times"}, 0};
constexpr IntKey kOptimizedInvalidRestoreTimes{{"SettingsOptimized", "invalid_points_restore_times"}, 0};
constexpr IntKey kOptimizedInvalidRepairedCount{{"SettingsOptimized", "invalid_points_repaired_count"}, 0};

// 2.5D pages.
constexpr IntKey kMvalueSave{{"2.5D", "mvalue_save"}, 0};
constexpr IntKey kMvalueBeyondWarning{{"2.5D", "mvalue_beyond_warning"}, 0};
constexpr DoubleKey kMvalueUpper{{"2.5D", "mvalue_upper"}, 999999999.0};
constexpr DoubleKey kMvalueLower{{"2.5D", "mvalue_lower"}, 0.0};

// 3D view's filter dialog.
constexpr DoubleKey kD3dyOpen{{"d3dy", "open"}, 0.0};
constexpr DoubleKey kD3dyWinSize{{"d3dy", "d3dy_win_size"}, 32.0};
constexpr DoubleKey kD3dyK{{"d3dy", "d3dy_k"}, 1.0};
constexpr DoubleKey kD3dyRemoveR{{"d3dy", "d3dy_remove_r"}, 0.0};
constexpr DoubleKey kD3dyNOutlier{{"d3dy", "d3dy_n_outlier"}, 5.0};
constexpr DoubleKey kD3dyNInterp{{"d3dy", "d3dy_n_interp"}, 0.0};
constexpr DoubleKey kD3dyLessXyFix{{"d3dy", "d3dy_less_xy_fix"}, 0.5};
constexpr DoubleKey kD3dyMoreXyFix{{"d3dy", "d3dy_more_xy_fix"}, 0.5};
constexpr Key kD3dyDz{"d3dy", "d3dy_dz"};  // written only

// Ignore-area page: pause between sends; a stored 0 (or none) becomes 10.
constexpr IntKey kIgnoreSleepSend{{"FullViewIgnoreSettingWidget", "sleep_send"}, 0};
constexpr int kIgnoreSleepSendReplacement = 10;

}  // namespace settings_keys
