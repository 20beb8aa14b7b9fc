"""Hypothesis runs deterministically and within a bounded budget, so CI
results do not depend on luck or on the machine's speed."""
from hypothesis import HealthCheck, settings

settings.register_profile("quodra", derandomize=True, max_examples=60, deadline=None,
                          suppress_health_check=[HealthCheck.too_slow])
settings.load_profile("quodra")
