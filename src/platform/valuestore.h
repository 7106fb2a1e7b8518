#pragma once

#include <QString>

namespace corvanta {

// Named text values kept between runs. The shell's settings store is one;
// layers below the shell read and write their own keys through this.
// An absent value reads as "".
class ValueStore
{
  public:
    virtual ~ValueStore() = default;
    virtual QString read(const QString& name) const = 0;
    virtual bool write(const QString& name, const QString& text) = 0;
};

} // namespace corvanta
