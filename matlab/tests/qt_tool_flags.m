function flags = qt_tool_flags(cfg)
% quodra-div's flags for a configuration struct of quodra_divide.
  flags = sprintf('-a %d --dividend-width %d --divisor-width %d', cfg.algorithm_type, ...
                  cfg.dividend_width, cfg.divisor_width);
  if isfield(cfg, 'operand_sign') && cfg.operand_sign ~= 1
    flags = [flags ' --unsigned'];
  end
  if isfield(cfg, 'remainder_type') && cfg.remainder_type == 1
    flags = [flags sprintf(' --fractional --fractional-width %d', cfg.fractional_width)];
  end
end
