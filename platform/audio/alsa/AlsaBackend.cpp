// placeholder until the first code of this area lands
