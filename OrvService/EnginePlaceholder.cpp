// Placeholder until the engine has sources.
namespace { [[maybe_unused]] int unused_engine_placeholder; }
