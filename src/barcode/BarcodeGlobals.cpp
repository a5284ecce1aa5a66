#include "barcode/BarcodeGlobals.h"

std::atomic<int> USED_DPI_VALUE{600};
std::atomic<int> QR_Version_Val{0};
std::atomic<int> QR_EC_Level_Val{0};
std::atomic<int> Barcode_module_size{1};
std::atomic<int> Measument_Unit_Is{0};
std::atomic<int> last_unit_val{0};
std::atomic<bool> Not_Draw_Only_Prop_Change{false};
PointPicture Barcode_output_image;
