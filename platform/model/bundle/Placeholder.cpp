// Placeholder until this part of the platform lands.
