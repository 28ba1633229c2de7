// Sources of this layer arrive with its first unit.
namespace ornibe {}
