// placeholder until the simulated device lands
