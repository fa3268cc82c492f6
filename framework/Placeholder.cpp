// Placeholder until the event framework lands.
