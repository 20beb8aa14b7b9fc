#include "sample_source.h"

#include "argument_sample_source.h"
#include "demo_sample_source.h"
#include "random_sample_source.h"
#include "result_layout.h"
#include "text_sample_source.h"
#include "tool_options.h"

namespace quodra_div {

std::unique_ptr<sample_source> make_sample_source(const tool_options &options,
                                                  const result_layout &layout) {
    switch (options.origin) {
    case sample_origin::arguments:
        return std::make_unique<argument_sample_source>(options.operand_texts);
    case sample_origin::random:
        return std::make_unique<random_sample_source>(layout.dividend_range(),
                                                      layout.divisor_range(),
                                                      options.random_count, options.random_seed);
    case sample_origin::demo:
        return std::make_unique<demo_sample_source>(layout.dividend_range(),
                                                    layout.divisor_range());
    case sample_origin::text_stream:
        break;
    }
    return std::make_unique<text_sample_source>(options.input_path);
}

} // namespace quodra_div
