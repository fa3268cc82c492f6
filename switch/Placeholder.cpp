// Placeholder until the switch layer lands.
