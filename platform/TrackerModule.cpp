// libopenmpt behind the mixer's module channels.
#include "platform/TrackerModule.h"

#include <libopenmpt/libopenmpt.h>

#include <algorithm>

std::unique_ptr<TTrackerModule> TTrackerModule::Load(std::span<const uint8_t> bytes, std::string* error)
{
    if (bytes.empty()) {
        if (error)
            *error = "empty module";
        return nullptr;
    }
    int code = 0;
    const char* message = nullptr;
    openmpt_module* module = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), openmpt_log_func_silent,
                                                                nullptr, openmpt_error_func_ignore, nullptr, &code,
                                                                &message, nullptr);
    if (!module) {
        if (error)
            *error = message ? message : "not a module libopenmpt can read";
        openmpt_free_string(message);
        return nullptr;
    }
    openmpt_free_string(message);
    // Loop for ever, honouring the module's own restart position.
    openmpt_module_set_repeat_count(module, -1);
    return std::unique_ptr<TTrackerModule>(new TTrackerModule(module));
}

TTrackerModule::~TTrackerModule()
{
    openmpt_module_destroy(module_);
}

int TTrackerModule::NumOrders() const
{
    return std::max(0, openmpt_module_get_num_orders(module_));
}

int TTrackerModule::CurrentOrder() const
{
    return openmpt_module_get_current_order(module_);
}

void TTrackerModule::PlayFrom(int order)
{
    const int orders = NumOrders();
    order = orders > 0 ? std::clamp(order, 0, orders - 1) : 0;
    openmpt_module_set_position_order_row(module_, order, 0);
}

size_t TTrackerModule::Render(int rate, float* interleaved, size_t frames)
{
    return openmpt_module_read_interleaved_float_stereo(module_, rate, frames, interleaved);
}
